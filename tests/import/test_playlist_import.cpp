#include <QtTest>
class Placeholder : public QObject {
    Q_OBJECT
private slots:
    void builds() { QVERIFY(true); }
};
QTEST_GUILESS_MAIN(Placeholder)
#include "test_playlist_import.moc"
