#pragma once
// A program folder with data/tv-all.xml (and optionally data/tv-list-fav.xml) in a temporary folder.

#include "channels/app_context.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

namespace zentavo {

// Two TV channels (one without bandwidth, one with a Real icon), a radio channel, a webcam, and items
// that belong to no list: a capitalised "TV" and an imgindex that is no number.
inline const char* kSmallCatalogue = R"(<?xml version="1.0" encoding="UTF-8"?>
<items>
  <item><id>17</id><name>News One</name><country>France</country><bandwidth>300k</bandwidth><type2>tv</type2><imgindex>0</imgindex><url>00</url></item>
  <item><id>3</id><name>Music Radio</name><country>Italy</country><bandwidth>64k</bandwidth><type2>radio</type2><imgindex>1</imgindex><url>00</url></item>
  <item><id>21</id><name>Harbour Cam</name><country>Norway</country><bandwidth></bandwidth><type2>webcam</type2><imgindex>2</imgindex><url>00</url></item>
  <item><id>5</id><name>Loud</name><country>Spain</country><bandwidth>1M</bandwidth><type2>TV</type2><imgindex>0</imgindex><url>00</url></item>
  <item><id>8</id><name>Çanal Sud</name><country>Andorra</country><bandwidth></bandwidth><type2>tv</type2><imgindex>1</imgindex><url>00</url></item>
  <item><id>9</id><name>Odd Icon</name><country>Malta</country><bandwidth>56k</bandwidth><type2>radio</type2><imgindex>x</imgindex><url>00</url></item>
</items>
)";

class ListFixture {
public:
    explicit ListFixture(const char* catalogue = kSmallCatalogue)
    {
        context.AppFolder = dir.path() + QStringLiteral("/");
        QDir(dir.path()).mkpath(QStringLiteral("data"));
        WriteFile(context.CataloguePath(), catalogue);
    }

    static void WriteFile(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write %s", qPrintable(path));
        file.write(bytes);
    }
    static QByteArray ReadFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void WriteFavourites(const QByteArray& bytes) const { WriteFile(context.FavouritesPath(), bytes); }
    QByteArray Favourites() const { return ReadFile(context.FavouritesPath()); }

    QTemporaryDir dir;
    AppContext context;
};

} // namespace zentavo
