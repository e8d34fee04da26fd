#include "cli/convert_command.h"

#include "cli/output.h"
#include "messages/link_converter.h"
#include "messages/markup_template.h"
#include "platform/data_folder.h"
#include "platform/identity.h"
#include "platform/settings_store.h"

#include <QFile>

#include <cstdio>

namespace {
const QString kFormat = QStringLiteral("format");
} // namespace

ConvertCommand::ConvertCommand()
    : Command(QStringLiteral("convert"),
        QStringLiteral("Converts standard input to standard output: every web and e-mail address becomes a link "
                       "in the markup of the named template from Postmaven's settings."))
{
}

void ConvertCommand::addOptions(QCommandLineParser &parser)
{
    parser.addOption(QCommandLineOption(kFormat,
        QStringLiteral("The template: text (no change), html, ubb, ezboard or the name of one of your own."),
        QStringLiteral("name")));
}

int ConvertCommand::run(const QCommandLineParser &parser)
{
    if (!parser.isSet(kFormat))
        return badUsage(QStringLiteral("No format given; use --format NAME."));
    const QString format = parser.value(kFormat);
    QtSettingsStore settings(Identity::productName());
    TemplateSet templates;
    templates.load(settings);
    const QStringList known = templates.converterList();
    if (!known.contains(format))
        return badUsage(QStringLiteral("There is no format named '%1'; the formats are %2.")
                            .arg(format, known.join(QStringLiteral(", "))));

    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly)) {
        reportError(QStringLiteral("cannot read standard input: %1").arg(in.errorString()));
        return ExitBadUsage;
    }
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError) {
        reportError(QStringLiteral("cannot read standard input: %1").arg(in.errorString()));
        return ExitBadUsage;
    }
    // Text saved by older Windows editors arrives in Windows-1252; it is read as such rather than garbled.
    writeOut(convertMessage(decodeLegacyText(bytes), format, templates));
    return ExitOk;
}
