#pragma once

#include <QString>

// Holds a data folder for this process with two locks that the system lets go when the process
// ends, however it ends: vorn.lock in the folder (other users, and other machines sharing the
// folder, see it) and a lock named after the folder's path in the user's own runtime folder
// (which holds where the folder cannot: a full disk, a read-only medium). What a lock file says
// counts for nothing, only whether a running process locks it: an empty, garbled or copied one
// is simply taken over.
class FolderLock final
{
public:
    static constexpr const char *FileName = "vorn.lock";

    // What the lock file that stopped us says of its holder.
    struct Holder
    {
        QString lockFile;
        qint64 pid = 0; // 0: it does not say
        QString host;   // empty: this machine
    };

    explicit FolderLock(const QString &folder);
    ~FolderLock();
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

    // False only when a running process holds the folder; holder() then says which.
    bool take();
    const Holder &holder() const { return m_holder; }
    // Why the folder is held by no lock at all, after take(); empty when it is.
    QString problem() const { return m_problem; }
    bool heldInFolder() const { return m_inFolder >= 0; }

    // The user's own folder for sockets and locks, made when missing: $XDG_RUNTIME_DIR/vorn, or
    // vorn-<uid> in the temporary folder. Only a real folder of this user, closed to others, is
    // taken; empty, with the reason in problem, when there is none.
    static QString userFolder(QString *problem = nullptr);
    // The name of a folder's socket and lock in userFolder(): one per folder, however its path
    // is spelled.
    static QString key(const QString &folder);

private:
    enum class Outcome { Taken, Held, Impossible };
    Outcome lockAt(const QString &path, bool inUserFolder, int &descriptor);
    void release();

    QString m_folder;
    int m_inFolder = -1;
    int m_inUserFolder = -1;
    Holder m_holder;
    QString m_problem;
};
