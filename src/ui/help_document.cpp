#include "ui/help_document.h"

#include "ui/rtf_reader.h"

#include <QDir>
#include <QFile>

HelpDocument readHelpDocument(const QString &path)
{
    HelpDocument doc;
    const QString shown = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        doc.error = QStringLiteral("The help file %1 could not be read: %2").arg(shown, file.errorString());
        return doc;
    }
    // One byte more than the limit tells a file that is too large, without
    // reading all of it or trusting a size that may change meanwhile.
    const QByteArray rtf = file.read(kMaxHelpFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        doc.error = QStringLiteral("The help file %1 could not be read: %2").arg(shown, file.errorString());
        return doc;
    }
    if (rtf.size() > kMaxHelpFileBytes) {
        doc.error = QStringLiteral("The help file %1 is larger than %2 MB and is not shown.")
                        .arg(shown)
                        .arg(kMaxHelpFileBytes / (1024 * 1024));
        return doc;
    }
    doc.html = RtfReader::toHtml(rtf);
    doc.ok = true;
    return doc;
}
