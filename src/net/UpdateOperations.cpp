#include "net/UpdateOperations.h"

#include "app/MessageBoxes.h"

#include <string>

StartupUpdateResult OfflineUpdates::startupUpdateCheck(UpdateMode, std::int32_t)
{
    m_boxes.inform(MessageBoxes::Kind::Error, withHeading("failed to check for updates (" +
                                                          std::to_string(CannotConnect) + ")"));
    return {false, CannotConnect};
}

bool OfflineUpdates::downloadCountryFile()
{
    m_boxes.inform(MessageBoxes::Kind::Error, withHeading("failed to download COUNTRY.ASC"));
    return false;
}

bool OfflineUpdates::downloadBureauFile()
{
    m_boxes.inform(MessageBoxes::Kind::Error, withHeading("failed to download VORN.ASC"));
    return false;
}
