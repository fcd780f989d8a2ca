#include "ui/qslinfo/QslInfoService.h"

#include "core/settings/AppSettings.h"
#include "platform/QslInfoClient.h"
#include "ui/qslinfo/DatabaseForm.h"
#include "ui/qslinfo/QueryForm.h"

#include <QPlainTextEdit>

void QslInfoService::applyQslInfoMode()
{
    m_queryForm.applyQslInfoMode();
}

void QslInfoService::queryCall(const std::string &callFieldText)
{
    // The own call as it is now: the settings dialog may have changed it.
    m_client.query(callFieldText, m_settings.ownCall);
}

void QslInfoService::databaseMenuClick()
{
    m_databaseForm.edit(m_settings);
    m_queryForm.applyQslInfoMode();
}

QWidget *QslInfoService::queryForm() const
{
    return &m_queryForm;
}

QWidget *QslInfoService::queryMemo() const
{
    return m_queryForm.memo();
}
