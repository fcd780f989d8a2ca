#pragma once

#include "ui/qslinfo/QslInfoQuery.h"

struct AppSettings;
class DatabaseForm;
class QslInfoClient;
class QueryForm;

// The QSL information service behind the main window: the client that asks it, the query
// window that shows its answers and the settings dialog, which the main window knows only
// through this seam.
class QslInfoService final : public QslInfoQuery
{
public:
    QslInfoService(AppSettings &settings, QslInfoClient &client, QueryForm &queryForm,
                   DatabaseForm &databaseForm)
        : m_settings(settings), m_client(client), m_queryForm(queryForm),
          m_databaseForm(databaseForm)
    {}

    void applyQslInfoMode() override;
    void queryCall(const std::string &callFieldText) override;
    // However the dialog was closed, the query window then follows the mode.
    void databaseMenuClick() override;
    QWidget *queryForm() const override;
    QWidget *queryMemo() const override;

private:
    AppSettings &m_settings;
    QslInfoClient &m_client;
    QueryForm &m_queryForm;
    DatabaseForm &m_databaseForm;
};
