#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <sys/resource.h>

bool writeFile(const QString& path, const QByteArray& content);
QByteArray readFile(const QString& path);   // empty when missing
QStringList fileLines(const QString& path); // non-empty lines
// Copies a configuration file with the value line after the entry "`name`" replaced by `value`
// (as a user edits it); false when the file or the entry is missing.
bool editConfigurationValue(const QString& from, const QString& to, const QByteArray& name,
                            const QByteArray& value);

// While it lives, writes beyond `bytes` fail like on a full disk (root ignores permissions,
// so a read-only folder would not do).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};
