#pragma once

// The external QSL information service as the main window uses it.
inline constexpr char QslInfoHost[] = "qslinfo.example.net";
// The service's name in captions and menus: the host name in capitals.
inline constexpr char QslInfoDisplayName[] = "QSLINFO.EXAMPLE.NET";

// The query window's operations that the main window calls.
class QslInfoQuery
{
public:
    virtual ~QslInfoQuery() = default;

    // Shows the query window, with or without its Query button, or closes it, as the mode says.
    virtual void applyQslInfoMode() = 0;
    // Queries the call in the main window's call field, as the Query button does.
    virtual void queryButtonClick() = 0;
    // The service's settings dialog, from the Settings menu.
    virtual void databaseMenuClick() = 0;
};

// Stands in until the program has a query window: the service stays unused.
class NoQslInfoQuery final : public QslInfoQuery
{
public:
    void applyQslInfoMode() override {}
    void queryButtonClick() override {}
    void databaseMenuClick() override {}
};
