#include "TestFiles.h"

#include <QFile>

#include <csignal>

bool writeFile(const QString& path, const QByteArray& content) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(content) == content.size();
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList fileLines(const QString& path) {
    return QString::fromUtf8(readFile(path)).split(u'\n', Qt::SkipEmptyParts);
}

bool editConfigurationValue(const QString& from, const QString& to, const QByteArray& name,
                            const QByteArray& value) {
    QByteArray bytes = readFile(from);
    const qsizetype at = bytes.indexOf('"' + name + "\"\r\n");
    if (at < 0)
        return false;
    const qsizetype line = bytes.indexOf('\n', at) + 1;
    bytes.replace(line, bytes.indexOf('\r', line) - line, value);
    return writeFile(to, bytes);
}

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &m_old);
    m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = m_old;
    small.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &small);
}

FileSizeLimit::~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &m_old);
    std::signal(SIGXFSZ, m_oldHandler);
}
