#pragma once

#include "ui/qslinfo/QslInfoQuery.h"

struct AppSettings;
class DatabaseForm;
class QueryForm;

// The QSL information service behind the main window: the query window and the settings
// dialog, which the main window knows only through this seam.
class QslInfoService final : public QslInfoQuery
{
public:
    QslInfoService(AppSettings &settings, QueryForm &queryForm, DatabaseForm &databaseForm)
        : m_settings(settings), m_queryForm(queryForm), m_databaseForm(databaseForm)
    {}

    void applyQslInfoMode() override;
    void queryCall(const std::string &callFieldText) override;
    // However the dialog was closed, the query window then follows the mode.
    void databaseMenuClick() override;
    QWidget *queryForm() const override;
    QWidget *queryMemo() const override;

private:
    AppSettings &m_settings;
    QueryForm &m_queryForm;
    DatabaseForm &m_databaseForm;
};
