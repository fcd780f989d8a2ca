#include "core/shell/AppState.h"

LoadResult AppState::load(DataFile file)
{
    if (file == DataFile::Country)
        return loadCountryTable(countries, folder.fileOf(file));
    return loadBureauTable(bureaus, folder.fileOf(file));
}
