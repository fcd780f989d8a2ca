#include "app/AppState.h"

bool AppState::load(DataFile file)
{
    if (file == DataFile::Country)
        return loadCountryTable(countries, folder.fileOf(file));
    return loadBureauTable(bureaus, folder.fileOf(file));
}
