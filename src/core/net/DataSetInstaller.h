#pragma once

#include "core/data/DataFolder.h"

#include <filesystem>
#include <functional>
#include <string_view>
#include <system_error>
#include <vector>

// A data file of an update, fetched and checked, waiting under a name of its own beside the file
// it is to replace.
struct StagedFile
{
    DataFile file;
    std::filesystem::path path;
};

// Puts the data files of one update in place as one change, so that a country file never stands
// beside a bureau file of another publication: calls of an entity that one of them codes anew
// would answer "unknown". No system call renames several files at once, so the set is named in
// a journal before the first file takes its name and the journal goes once the last has; a start
// that finds the journal puts the backup copies back over every file that had already taken its
// name. The backup copies are made before the downloads, as for a single file.
//
// The order, each step on disk before the next (files and folder synced):
//   1. every file of the set staged and checked, the backup copies made;
//   2. the journal: for each file its name, the SHA-256 of the new file and the staged name;
//   3. each staged file renamed over its data file;
//   4. the journal removed.
// A crash before 2 leaves the old set and stray staged files; between 2 and 4, the next start
// finds the journal and rolls back; after 4, the new set is whole.
class DataSetInstaller
{
public:
    // onStep, when given, hears of each step as it is done ("journal written", "country.asc in
    // place", ...): a test program pauses there, to be killed between any two.
    explicit DataSetInstaller(const DataFolder &folder,
                              std::function<void(std::string_view)> onStep = {});

    // Puts the staged files in place. On failure whatever had taken its name is put back and the
    // staged files are removed; the error says why.
    std::error_code install(const std::vector<StagedFile> &set) const;

    // At start, before the data files are loaded: undoes an installation that was cut short.
    // Each data file that holds the new file the journal names gets its backup copy back (or is
    // removed, when it had none), staged files are removed, and so is the journal. The files put
    // back, in the order of the set; none when there was no journal.
    std::vector<DataFile> recover() const;

    // Removes staged files that will not be installed.
    static void discard(const std::vector<StagedFile> &set);

private:
    struct Entry;
    std::vector<DataFile> rollBack(const std::vector<Entry> &entries) const;
    void step(std::string_view what) const;

    const DataFolder &m_folder;
    std::function<void(std::string_view)> m_onStep;
};
