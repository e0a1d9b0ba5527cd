#pragma once

#include <QString>
#include <QStringList>

// One run of q7400ctl (from Q7400_BIN_DIR) in a fresh, empty home folder. The wait runs the
// event loop, so a simulator served by this process keeps answering meanwhile.
struct CtlRun {
    int status = -1; // -1: did not finish in time
    bool crashed = false;
    QString out;
    QString err;
};

// `input`: a file (e.g. a pseudo-terminal) q7400ctl reads as stdin; none = an empty pipe.
CtlRun runCtl(const QStringList& args, int timeoutMs = 30000, const QString& input = {});
// The same on the line `port` (empty: no --port), in English unless `args` choose a language,
// with a settings file of its own that does not exist yet. The options come first, so that
// `args` may end with "--" and a negative number.
CtlRun runCtlOn(const QString& port, const QStringList& args, int timeoutMs = 30000,
                const QString& input = {});
