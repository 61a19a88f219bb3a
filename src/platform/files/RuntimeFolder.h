#pragma once

#include <QString>

#include <utility>

namespace zv {

// A folder only this user can enter: there a file name that anyone can compute is safe to use.
class RuntimeFolder {
public:
    // XDG_RUNTIME_DIR when it is private; else "zare-vantrel-<uid>" in tempFolder, made with
    // mode 0700 when missing. None when that one is not private either.
    static RuntimeFolder find(const QString& runtimeDir, const QString& tempFolder);
    // The same from this process's environment.
    static RuntimeFolder find();

    bool exists() const { return !m_path.isEmpty(); }
    // Empty when there is none.
    const QString& path() const { return m_path; }
    // Why there is none.
    const QString& problem() const { return m_problem; }

private:
    RuntimeFolder(QString path, QString problem) : m_path(std::move(path)), m_problem(std::move(problem)) {}

    // Empty when the folder is a real folder (not a link), owned by this user, mode 0700.
    static QString problemWith(const QString& folder);

    QString m_path;
    QString m_problem;
};

} // namespace zv
