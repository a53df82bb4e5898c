// Where the shared paths lead: the favourites move to the user's data folder when the program's
// data folder cannot take them.
#include "channels/app_context.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using zentavo::AppContext;

class AppContextTest : public QObject {
    Q_OBJECT
private slots:
    void favouritesStayBesideTheProgramWhenItsDataFolderIsWritable()
    {
        QTemporaryDir app;
        QVERIFY(QDir(app.path()).mkdir(QStringLiteral("data")));
        AppContext context;
        context.AppFolder = app.path() + QLatin1Char('/');
        QCOMPARE(context.FavouritesPath(), app.path() + QStringLiteral("/data/tv-list-fav.xml"));
    }

    void favouritesGoToTheUsersDataFolderWhenTheProgramsCannotTakeThem()
    {
        QTemporaryDir app; // no data folder in it: nothing can be written there
        AppContext context;
        context.AppFolder = app.path() + QLatin1Char('/');
        const QString expected = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
            + QStringLiteral("/zentavo-player/tv-list-fav.xml");
        QCOMPARE(context.FavouritesPath(), expected);
        QVERIFY(QFileInfo(expected).dir().exists());
        QCOMPARE(context.CataloguePath(), app.path() + QStringLiteral("/data/tv-all.xml"));
    }
};

QTEST_GUILESS_MAIN(AppContextTest)
#include "test_app_context.moc"
