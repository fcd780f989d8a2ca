#pragma once

#include <string>

class QWidget;

// The QSL information service as the main window uses it: the query window and the service's
// settings dialog.
class QslInfoQuery
{
public:
    virtual ~QslInfoQuery() = default;

    // Shows the query window, with or without its Query button, or closes it, as the mode says.
    virtual void applyQslInfoMode() = 0;
    // Starts a query for the call that the main window's call field holds, as single-byte text
    // exactly as the field holds it; returns at once, and the answer arrives in the query window.
    virtual void queryCall(const std::string &callFieldText) = 0;
    // The service's settings dialog, from the Settings menu; the query window follows the mode
    // chosen there.
    virtual void databaseMenuClick() = 0;

    // The query window and its answer field, which the main window's background colours; null
    // when there is no query window.
    virtual QWidget *queryForm() const = 0;
    virtual QWidget *queryMemo() const = 0;
};
