#pragma once
// Small helpers of the channel directory tests: files in a private temporary folder, catalogue items.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <string>
#include <string_view>

namespace zentavo::test {

inline QByteArray Bytes(std::string_view text)
{
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::filesystem::path FixturePath(const char* name)
{
    return std::filesystem::path(qEnvironmentVariable("ZENTAVO_FIXTURES").toStdString()) / "core" / name;
}

inline QByteArray ReadBytes(const std::filesystem::path& path)
{
    QFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

inline bool WriteBytes(const std::filesystem::path& path, const QByteArray& bytes)
{
    QFile file(QString::fromStdString(path.string()));
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Names of the entries of a folder, sorted.
inline QStringList FolderEntries(const std::filesystem::path& folder)
{
    return QDir(QString::fromStdString(folder.string()))
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// A fresh folder that is removed with the object.
class Folder {
public:
    Folder() { QVERIFY(dir_.isValid()); }
    std::filesystem::path Path() const { return dir_.path().toStdString(); }
    std::filesystem::path operator/(const char* name) const { return Path() / name; }

private:
    QTemporaryDir dir_;
};

struct Item {
    std::string id, name, country, bandwidth, type2, imgindex, url;
};

// An item element with every field, in a fixed order.
inline std::string ItemXml(const Item& item)
{
    return "<item><id>" + item.id + "</id><name>" + item.name + "</name><country>" + item.country
        + "</country><bandwidth>" + item.bandwidth + "</bandwidth><type2>" + item.type2 + "</type2><imgindex>"
        + item.imgindex + "</imgindex><url>" + item.url + "</url></item>";
}

inline QByteArray CatalogueXml(std::initializer_list<std::string> itemsXml)
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items>\n";
    for (const auto& item : itemsXml)
        xml += "  " + item + "\n";
    xml += "</items>\n";
    return Bytes(xml);
}

} // namespace zentavo::test
