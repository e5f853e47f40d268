#include "RavlinTraceListener.h"

#include "CUserFolders.h"
#include "Trace.h"

#include <QFile>
#include <fcntl.h>
#include <unistd.h>

RavlinTraceListener::RavlinTraceListener(const QString& folder) {
    const QString dir = folder.isEmpty() ? CUserFolders::RuntimeFolder() : folder;
    if (!dir.isEmpty()) {
        m_path = dir + "/Ravlin.log";
        // O_NOFOLLOW: never write through a link someone left in place of the log.
        const int fd = ::open(QFile::encodeName(m_path).constData(),
                              O_RDWR | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            m_file = ::fdopen(fd, "w+");
            if (!m_file)
                ::close(fd);
        }
    }
    AddTraceListener(this);
    Trace("Ravlin Tracing Start\n");
}

RavlinTraceListener::~RavlinTraceListener() {
    RemoveTraceListener(this);
    if (m_file)
        std::fclose(m_file);
}

void RavlinTraceListener::Write(const QString& text) {
    if (!m_file)
        return;
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), m_file);
    std::fflush(m_file);
}
