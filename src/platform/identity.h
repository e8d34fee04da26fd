#pragma once

#include <QString>

// The program's version information.
namespace Identity {
inline QString productName()
{
    return QStringLiteral("Postmaven");
}
inline QString companyName()
{
    return QStringLiteral("Maven Row Software");
}
// The publisher's web address, without scheme.
inline QString publisherAddress()
{
    return QStringLiteral("www.postmaven.example");
}
constexpr int versionMajor = 2;
constexpr int versionMinor = 3;
// The desktop's name for the program: its menu entry, icon and metadata.
inline QString applicationId()
{
    return QStringLiteral("example.postmaven.Postmaven");
}
// The version record's own text.
inline QString versionText()
{
    return QStringLiteral("2.03");
}
} // namespace Identity
