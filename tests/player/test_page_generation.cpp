// Templates, FillTemplate, the address encoding and PreparePlay, without a web engine.

#include "channels/app_context.h"
#include "channels/catalogue.h"
#include "crypto/string_cipher.h"
#include "player/page_address.h"
#include "player/page_generation.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>

using namespace zentavo;

Q_DECLARE_METATYPE(std::string)

namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

int Count(const std::string& text, const std::string& what)
{
    int count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

// name=value pairs of the <param> elements, in document order.
QStringList Params(const std::string& page)
{
    static const QRegularExpression param(QString::fromLatin1("<param name=\"([^\"]*)\" value=\"([^\"]*)\">"));
    QStringList found;
    for (const auto& match : param.globalMatch(Q(page)))
        found << match.captured(1) + QLatin1Char('=') + match.captured(2);
    return found;
}

// name|value|onclick of the hidden buttons, in document order.
QStringList Buttons(const std::string& page)
{
    static const QRegularExpression button(
        QString::fromLatin1("<input type=\"submit\" name=\"([^\"]*)\" value=\"([^\"]*)\" onclick=\"([^\"]*)\">"));
    QStringList found;
    for (const auto& match : button.globalMatch(Q(page)))
        found << match.captured(1) + QLatin1Char('|') + match.captured(2) + QLatin1Char('|') + match.captured(3);
    return found;
}

// Where the page breaks "ASCII only, CR LF line ends"; empty when it does not.
QString LineEndOrEncodingFault(const std::string& page)
{
    for (std::size_t i = 0; i < page.size(); ++i) {
        const auto byte = static_cast<unsigned char>(page[i]);
        if (byte >= 0x80)
            return QStringLiteral("non-ASCII byte at %1").arg(i);
        if (byte == 0x0A && (i == 0 || page[i - 1] != 0x0D))
            return QStringLiteral("bare LF at %1").arg(i);
        if (byte == 0x0D && (i + 1 == page.size() || page[i + 1] != 0x0A))
            return QStringLiteral("bare CR at %1").arg(i);
    }
    return {};
}

} // namespace

class PageGenerationTest : public QObject {
    Q_OBJECT

private slots:
    void templatesAreAsciiWithCrLfAndEachPlaceholderOnce_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("placeholders");
        QTest::newRow("windows media") << 0 << QStringList{QLatin1String("%|URL|%"), QLatin1String("%|VALUE02|%")};
        QTest::newRow("real") << 1 << QStringList{QLatin1String("%|URL|%"), QLatin1String("%|VALUE01|%")};
        QTest::newRow("snapshot") << 2 << QStringList{QLatin1String("%|URL|%")};
    }
    void templatesAreAsciiWithCrLfAndEachPlaceholderOnce()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, placeholders);
        const std::string page = PlayerTemplate(static_cast<MediaKind>(kind));
        QVERIFY(!page.empty());
        QCOMPARE(LineEndOrEncodingFault(page), QString());
        QVERIFY(page.size() >= 2 && page.substr(page.size() - 2) == "\r\n");
        for (const QString& placeholder : placeholders)
            QCOMPARE(Count(page, placeholder.toStdString()), 1);
        // Apart from the placeholders, no "%|" or "|%" anywhere.
        QCOMPARE(Count(page, "%|"), placeholders.size());
        QCOMPARE(Count(page, "|%"), placeholders.size());
        QVERIFY(page.find("text/html; charset=utf-8") != std::string::npos);
    }

    void realTemplateCarriesItsObjectButtonsAndChecks()
    {
        const std::string page = PlayerTemplate(MediaKind::Real);
        QVERIFY(page.find("<title>REAL</title>") != std::string::npos);
        QVERIFY(page.find("srcc=\"%|URL|%\"") != std::string::npos);
        QVERIFY(page.find("classid=\"clsid:CFCDAA03-8BE4-11cf-B84B-0020AFBBCCFA\" id=\"RPOCX\"") != std::string::npos);
        QCOMPARE(Params(page),
                 (QStringList{QStringLiteral("_ExtentX=11165"), QStringLiteral("_ExtentY=8467"),
                              QStringLiteral("AUTOSTART=-1"), QStringLiteral("SHUFFLE=0"), QStringLiteral("PREFETCH=0"),
                              QStringLiteral("NOLABELS=-1"), QStringLiteral("CONTROLS=Imagewindow"),
                              QStringLiteral("CONSOLE=clip1"), QStringLiteral("LOOP=0"), QStringLiteral("NUMLOOP=0"),
                              QLatin1String("CENTER=%|VALUE01|%"), QStringLiteral("MAINTAINASPECT=0"),
                              QStringLiteral("BACKGROUNDCOLOR=#000000")}));
        QCOMPARE(
            Buttons(page),
            (QStringList{QStringLiteral("HTML_Play|play|ClickPlay()"), QStringLiteral("HTML_Full|full|SetFullScreen()"),
                         QStringLiteral("HTML_Sound|100|SetVolume(this.value)"),
                         QStringLiteral("HTML_SetONSound|mute|SetONSound()"),
                         QStringLiteral("HTML_SetOFFSound|mute|SetOFFSound()")}));
        QVERIFY(page.find("onload=\"playy(srcc)\"") != std::string::npos);
        // The player check falls back to the maker's home page.
        QVERIFY(page.find(std::string("window.location.replace(\"") + kHomePageUrl + "\")") != std::string::npos);
        QVERIFY(page.find("window.zentavoPlayers && window.zentavoPlayers.real === true") != std::string::npos);
        QVERIFY(page.find("RealPlayer was not detected on your PC. This free software is required to watch Internet "
                          "TV stations. \\n\\n Please click OK to download RealPlayer")
                != std::string::npos);
    }

    void windowsMediaTemplateCarriesItsObjectAndButtons()
    {
        const std::string page = PlayerTemplate(MediaKind::WindowsMedia);
        QVERIFY(page.find("<title>MEDIA</title>") != std::string::npos);
        QVERIFY(page.find("srcc = \"%|URL|%\"") != std::string::npos);
        QVERIFY(page.find("classid=\"CLSID:22D6F312-B0F6-11D0-94AB-0080C74C7E95\"") != std::string::npos);
        QVERIFY(page.find("#Version=5,1,52,701") != std::string::npos);
        QVERIFY(page.find("standby=\"Loading Microsoft Windows Media Player Plugins...\"") != std::string::npos);
        QCOMPARE(Params(page),
                 (QStringList{QStringLiteral("FileName="), QStringLiteral("AutoStart=true"),
                              QLatin1String("DisplaySize=%|VALUE02|%"), QStringLiteral("AutoRewind=-1"),
                              QStringLiteral("AnimationAtStart=false"), QStringLiteral("ShowControls=false"),
                              QStringLiteral("ClickToPlay=false"), QStringLiteral("EnableContextMenu=0"),
                              QStringLiteral("EnablePositionControls=false"), QStringLiteral("Balance=0"),
                              QStringLiteral("ShowStatusBar=1"), QStringLiteral("AutoSize=0")}));
        QCOMPARE(
            Buttons(page),
            (QStringList{QStringLiteral("HTML_Play|play|DoPlay()"), QStringLiteral("HTML_Full|full|SetDisplaySize(3)"),
                         QStringLiteral("HTML_Sound|0|SetVolume(this.value)"),
                         QStringLiteral("HTML_SetONSound|mute|SetONSound()"),
                         QStringLiteral("HTML_SetOFFSound|mute|SetOFFSound()")}));
        QVERIFY(page.find("onload=\"playhistory(srcc)\"") != std::string::npos);
        QVERIFY(page.find("SetVolume(0);") != std::string::npos);
    }

    void snapshotTemplateIsOneImageWithoutScriptOrButtons()
    {
        const std::string page = PlayerTemplate(MediaKind::Snapshot);
        QVERIFY(page.find("<html xmlns=\"http://www.w3.org/1999/xhtml\">") != std::string::npos);
        QVERIFY(page.find("<meta http-equiv=\"expires\" content=\"0\" />") != std::string::npos);
        QVERIFY(page.find("<title>Untitled Document</title>") != std::string::npos);
        QVERIFY(page.find("<img src=\"%|URL|%\" />") != std::string::npos);
        QVERIFY(page.find("<script") == std::string::npos);
        QVERIFY(page.find("<input") == std::string::npos);
        QVERIFY(page.find("<object") == std::string::npos);
    }

    void fillTemplateReplacesPlaceholders_data()
    {
        QTest::addColumn<std::string>("templateText");
        QTest::addColumn<std::string>("address");
        QTest::addColumn<bool>("originalSize");
        QTest::addColumn<std::string>("expected");
        const std::string u = "http://host/live.mp3";
        QTest::newRow("url") << std::string("a%|URL|%b") << u << true << "a" + u + "b";
        QTest::newRow("value01 original size") << std::string("[%|VALUE01|%]") << u << true << std::string("[1]");
        QTest::newRow("value01 fit to window") << std::string("[%|VALUE01|%]") << u << false << std::string("[0]");
        QTest::newRow("value02 original size") << std::string("[%|VALUE02|%]") << u << true << std::string("[0]");
        QTest::newRow("value02 fit to window") << std::string("[%|VALUE02|%]") << u << false << std::string("[2]");
        QTest::newRow("title") << std::string("<%|TITLE|%>") << u << true << std::string("<Channel One>");
        QTest::newRow("unknown name") << std::string("<%|FOO|%>") << u << true << std::string("<[undefined terms]>");
        QTest::newRow("names are case-sensitive")
            << std::string("<%|url|%>") << u << true << std::string("<[undefined terms]>");
        QTest::newRow("empty name") << std::string("<%||%>") << u << true << std::string("<[undefined terms]>");
        QTest::newRow("no placeholder") << std::string("plain\r\ntext") << u << true << std::string("plain\r\ntext");
        QTest::newRow("every placeholder")
            << std::string("%|URL|% %|VALUE01|% %|VALUE02|% %|TITLE|%") << u << false << u + " 0 2 Channel One";
        // A value is never read again: the placeholders it holds stay as they are written.
        QTest::newRow("address holding |% leaves later names alone")
            << std::string("u=%|URL|% c=%|VALUE01|%") << std::string("|%") << true << std::string("u=|% c=1");
        QTest::newRow("address holding %| leaves later placeholders alone")
            << std::string("a=%|URL|% b=%|VALUE01|% end") << std::string("%|") << true << std::string("a=%| b=1 end");
        QTest::newRow("placeholder an address brings in stays as written")
            << std::string("(%|URL|%)") << std::string("%|TITLE|%") << true << std::string("(%|TITLE|%)");
        QTest::newRow("|% before %| in the template")
            << std::string("|% %|URL|%") << u << true << std::string("|% [undefined terms]L|%");
        QTest::newRow("overlapping %|%") << std::string("%|%abc") << u << true << std::string("[undefined terms]bc");
        QTest::newRow("unterminated placeholder")
            << std::string("%|abc") << u << true << std::string("[undefined terms]c");
        QTest::newRow("placeholder at the very end")
            << std::string("x%|") << u << true << std::string("x[undefined terms]");
    }
    void fillTemplateReplacesPlaceholders()
    {
        QFETCH(std::string, templateText);
        QFETCH(std::string, address);
        QFETCH(bool, originalSize);
        QFETCH(std::string, expected);
        const FillOptions options{originalSize, "Channel One"};
        QCOMPARE(Q(FillTemplate(templateText, address, options)), Q(expected));
    }

    // Each value is encoded for the place of its placeholder in the template: a script string,
    // an attribute within or without quotes, text, a comment.
    void fillTemplateEncodesEachValueForItsPlace_data()
    {
        QTest::addColumn<std::string>("templateText");
        QTest::addColumn<std::string>("title");
        QTest::addColumn<std::string>("expected");
        const std::string hostile = "a\\b\"c'd<e>f&g h=`i\r\n";
        QTest::newRow("script string")
            << std::string("<script>var t = \"%|TITLE|%\";</script>") << hostile
            << std::string("<script>var t = \"a\\\\b\\\"c\\'d\\x3Ce\\x3Ef&g h=`i\\x0D\\x0A\";</script>");
        QTest::newRow("script element with attributes, upper case")
            << std::string("<SCRIPT language=\"javascript\">t='%|TITLE|%'</SCRIPT>") << std::string("</script>")
            << std::string("<SCRIPT language=\"javascript\">t='\\x3C/script\\x3E'</SCRIPT>");
        QTest::newRow("line separators in a script")
            << std::string("<script>t='%|TITLE|%'</script>") << std::string("x\xE2\x80\xA8y\xE2\x80\xA9z\x01")
            << std::string("<script>t='x\\u2028y\\u2029z\\x01'</script>");
        QTest::newRow("double-quoted attribute")
            << std::string("<img alt=\"%|TITLE|%\">") << hostile
            << std::string("<img alt=\"a\\b&quot;c&#39;d&lt;e&gt;f&amp;g h=`i\r\n\">");
        QTest::newRow("single-quoted attribute after a quoted >")
            << std::string("<img title=\"1>0\" alt='%|TITLE|%'>") << std::string("' onerror='x")
            << std::string("<img title=\"1>0\" alt='&#39; onerror=&#39;x'>");
        QTest::newRow("attribute without quotes")
            << std::string("<img alt=%|TITLE|%>") << hostile
            << std::string("<img alt=a\\b&quot;c&#39;d&lt;e&gt;f&amp;g&#32;h&#61;&#96;i&#13;&#10;>");
        QTest::newRow("text") << std::string("<p>%|TITLE|%</p>") << hostile
                              << std::string("<p>a\\b&quot;c&#39;d&lt;e&gt;f&amp;g h=`i\r\n</p>");
        QTest::newRow("text after a script element") << std::string("<script>x</script>%|TITLE|%") << std::string("<b>")
                                                     << std::string("<script>x</script>&lt;b&gt;");
        QTest::newRow("text after a tag that only starts like script")
            << std::string("<scripts>%|TITLE|%") << std::string("<b>") << std::string("<scripts>&lt;b&gt;");
        QTest::newRow("comment") << std::string("<!-- <script> %|TITLE|% -->") << std::string("-->")
                                 << std::string("<!-- <script> --&gt; -->");
        QTest::newRow("text beside a lone <")
            << std::string("1 < 2 %|TITLE|%") << std::string("<") << std::string("1 < 2 &lt;");
        QTest::newRow("ordinary name") << std::string("<script>t=\"%|TITLE|%\"</script><p>%|TITLE|%</p>")
                                       << std::string("Germany - Alpha TV  (512K)")
                                       << std::string("<script>t=\"Germany - Alpha TV  (512K)\"</script>"
                                                      "<p>Germany - Alpha TV  (512K)</p>");
    }
    void fillTemplateEncodesEachValueForItsPlace()
    {
        QFETCH(std::string, templateText);
        QFETCH(std::string, title);
        QFETCH(std::string, expected);
        QCOMPARE(Q(FillTemplate(templateText, "", FillOptions{true, title})), Q(expected));
    }

    // The templates' own places: a script string in the two player pages, an attribute in the
    // snapshot page.
    void eachTemplateEncodesTheAddressForItsPlace_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<std::string>("expected");
        QTest::newRow("windows media") << 0 << std::string("srcc = \"a\\\"b\\'c\\x3Cd\\x3Ee&f\";");
        QTest::newRow("real") << 1 << std::string("srcc=\"a\\\"b\\'c\\x3Cd\\x3Ee&f\";");
        QTest::newRow("snapshot") << 2 << std::string("<img src=\"a&quot;b&#39;c&lt;d&gt;e&amp;f\" />");
    }
    void eachTemplateEncodesTheAddressForItsPlace()
    {
        QFETCH(int, kind);
        QFETCH(std::string, expected);
        const std::string page = FillTemplate(PlayerTemplate(static_cast<MediaKind>(kind)), "a\"b'c<d>e&f", {});
        QVERIFY2(page.find(expected) != std::string::npos, page.c_str());
    }

    void fillTemplateNeverFillsAPlaceholderAValueBrings_data()
    {
        QTest::addColumn<std::string>("address");
        QTest::addColumn<std::string>("title");
        QTest::newRow("address is its own placeholder") << std::string("%|URL|%") << std::string();
        QTest::newRow("address grows around its placeholder") << std::string("ab%|URL|%cd") << std::string();
        QTest::newRow("address doubles its placeholder") << std::string("%|URL|%%|URL|%") << std::string();
        QTest::newRow("url and title name each other") << std::string("%|TITLE|%") << std::string("%|URL|%");
        QTest::newRow("long address of placeholders") << [] {
            std::string a;
            for (int i = 0; i < 2000; ++i)
                a += "%|URL|%";
            return a;
        }() << std::string();
    }
    void fillTemplateNeverFillsAPlaceholderAValueBrings()
    {
        QFETCH(std::string, address);
        QFETCH(std::string, title);
        for (const MediaKind kind : {MediaKind::WindowsMedia, MediaKind::Real, MediaKind::Snapshot}) {
            const std::string templateText = PlayerTemplate(kind);
            const std::string page = FillTemplate(templateText, address, FillOptions{true, title});
            // It ends, the page keeps everything in front of the first placeholder, and the address
            // stands in it as it is (nothing in it needs encoding at either place).
            QVERIFY(page.size() <= templateText.size() + 2 * 1024 * 1024);
            QVERIFY(page.find(address) != std::string::npos);
            QCOMPARE(Q(page.substr(0, templateText.find("%|"))), Q(templateText.substr(0, templateText.find("%|"))));
        }
    }

    void filledTemplatesChangeNothingButThePlaceholders()
    {
        const std::string address = "http://host:8000/live";
        for (const bool originalSize : {true, false}) {
            std::string real = PlayerTemplate(MediaKind::Real);
            std::string wmp = PlayerTemplate(MediaKind::WindowsMedia);
            std::string photo = PlayerTemplate(MediaKind::Snapshot);
            const FillOptions options{originalSize, "Name"};
            const std::string filledReal = FillTemplate(real, address, options);
            const std::string filledWmp = FillTemplate(wmp, address, options);
            const std::string filledPhoto = FillTemplate(photo, address, options);
            real.replace(real.find("%|URL|%"), 7, address);
            real.replace(real.find("%|VALUE01|%"), 11, originalSize ? "1" : "0");
            wmp.replace(wmp.find("%|URL|%"), 7, address);
            wmp.replace(wmp.find("%|VALUE02|%"), 11, originalSize ? "0" : "2");
            photo.replace(photo.find("%|URL|%"), 7, address);
            QCOMPARE(Q(filledReal), Q(real));
            QCOMPARE(Q(filledWmp), Q(wmp));
            QCOMPARE(Q(filledPhoto), Q(photo));
        }
    }

    void addressEncodingKeepsUrlsAndEncodesWhatCouldEndTheString_data()
    {
        QTest::addColumn<std::string>("address");
        QTest::addColumn<std::string>("expected");
        const auto same = [](const char* a) { QTest::newRow(a) << std::string(a) << std::string(a); };
        same("http://example.com:8080/live/stream.m3u8?a=1&b=%20x#frag");
        same("mms://media.example.net/tv");
        same("rtsp://user:pw@cam.example.org/ch1?x=[1]");
        QTest::newRow("placeholder marks")
            << std::string("http://h/a|%b%|c%|TITLE|%") << std::string("http://h/a%7C%b%%7Cc%%7CTITLE%7C%");
        same("http://host/'single'quotes'");
        QTest::newRow("double quote") << std::string("http://h/a\"b") << std::string("http://h/a%22b");
        QTest::newRow("angle brackets") << std::string("http://h/<b>") << std::string("http://h/%3Cb%3E");
        QTest::newRow("backslash") << std::string("http://h/a\\b") << std::string("http://h/a%5Cb");
        QTest::newRow("blank and tab") << std::string("http://h/a b\tc") << std::string("http://h/a%20b%09c");
        QTest::newRow("line breaks") << std::string("http://h/a\r\nb") << std::string("http://h/a%0D%0Ab");
        QTest::newRow("zero and delete") << std::string("a\0b\x7F", 4) << std::string("a%00b%7F");
        QTest::newRow("non-ASCII bytes") << std::string("http://h/caf\xC3\xA9\xE2\x80\xA8")
                                         << std::string("http://h/caf%C3%A9%E2%80%A8");
        QTest::newRow("ends the script string") << std::string("x\";alert(1);//") << std::string("x%22;alert(1);//");
        QTest::newRow("ends the script element") << std::string("</script><script>alert(1)</script>")
                                                 << std::string("%3C/script%3E%3Cscript%3Ealert(1)%3C/script%3E");
        QTest::newRow("ends the attribute")
            << std::string("x\" onerror=\"alert(1)") << std::string("x%22%20onerror=%22alert(1)");
    }
    void addressEncodingKeepsUrlsAndEncodesWhatCouldEndTheString()
    {
        QFETCH(std::string, address);
        QFETCH(std::string, expected);
        QCOMPARE(Q(EncodeAddressForPage(address)), Q(expected));
    }

    void preparePlayLooksUpDeciphersAndFills_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("kind");
        QTest::addColumn<std::string>("address");
        QTest::addColumn<std::string>("pageAddress"); // as it stands in the page
        QTest::addColumn<int>("templateKind"); // -1: empty page
        QTest::newRow("windows media") << QStringLiteral("1") << 0 << std::string("http://h/radio.mp3")
                                       << std::string("http://h/radio.mp3") << 0;
        QTest::newRow("real") << QStringLiteral("2") << 1 << std::string("rtsp://h/tv.rm")
                              << std::string("rtsp://h/tv.rm") << 1;
        QTest::newRow("snapshot") << QStringLiteral("3") << 2 << std::string("http://h/cam.jpg")
                                  << std::string("http://h/cam.jpg") << 2;
        QTest::newRow("imgindex not a number")
            << QStringLiteral("4") << 0 << std::string("http://h/x") << std::string("http://h/x") << 0;
        QTest::newRow("imgindex out of range")
            << QStringLiteral("5") << 7 << std::string("http://h/x") << std::string() << -1;
        QTest::newRow("hostile address is encoded in the page")
            << QStringLiteral("6") << 0 << std::string("http://h/\"</script>")
            << std::string("http://h/%22%3C/script%3E") << 0;
        QTest::newRow("first of two items with the same id")
            << QStringLiteral("7") << 2 << std::string("http://h/first") << std::string("http://h/first") << 2;
    }
    void preparePlayLooksUpDeciphersAndFills()
    {
        QFETCH(QString, id);
        QFETCH(int, kind);
        QFETCH(std::string, address);
        QFETCH(std::string, pageAddress);
        QFETCH(int, templateKind);
        QTemporaryDir dir;
        const auto catalogue = WriteCatalogue(dir);
        const FillOptions options{false, "Name"};
        const auto play = PreparePlay(catalogue, id.toStdString(), kPassphrase, options);
        QVERIFY(play.has_value());
        QCOMPARE(play->mediaKind, kind);
        QCOMPARE(Q(play->address), Q(address));
        if (templateKind < 0)
            QVERIFY(play->page.empty());
        else
            QCOMPARE(Q(play->page),
                     Q(FillTemplate(PlayerTemplate(static_cast<MediaKind>(templateKind)), pageAddress, options)));
    }

    void preparePlayTakesOnlyTheAllowedHeadersOfTheItem()
    {
        // A catalogue edited by hand is foreign input as well: its headers are checked again.
        QTemporaryDir dir;
        const auto path = std::filesystem::path(dir.path().toStdString()) / "tv-all.xml";
        std::ofstream(path, std::ios::binary)
            << "<items><item><id>1</id><type2>tv</type2><imgindex>0</imgindex><url>"
            << EncipherString("http://h/a.m3u8", kPassphrase, KeySize::Key256)
            << "</url><headers>\n  User-Agent=A%0D%0AHost%3A%20evil&amp;Host=evil&amp;Referer=https%3A%2F%2Fr%2F&amp;"
               "X-Token=t\n</headers></item></items>\n";
        const auto play = PreparePlay(path, "1", kPassphrase, {});
        QVERIFY(play.has_value());
        QCOMPARE(play->headers, (RequestHeaders{{"Referer", "https://r/"}, {"X-Token", "t"}}));
    }

    void preparePlayReportsMissingChannelsAndBadFiles()
    {
        QTemporaryDir dir;
        const auto catalogue = WriteCatalogue(dir);
        QVERIFY(!PreparePlay(catalogue, "99", kPassphrase, {}).has_value());
        QVERIFY(!PreparePlay(catalogue, "", kPassphrase, {}).has_value());
        QVERIFY_THROWS_EXCEPTION(
            ListFileError,
            PreparePlay(std::filesystem::path(dir.path().toStdString()) / "missing.xml", "1", kPassphrase, {}));
        try {
            PreparePlay(catalogue, "8", kPassphrase, {});
            QFAIL("a url that is no protected string must fail");
        } catch (const ConversionError& error) {
            QCOMPARE(QString::fromUtf8(error.what()), QStringLiteral("'0xZZ' is not a valid integer value"));
        }
    }

private:
    static constexpr const char* kPassphrase = "0123456789abcdef0123456789abcdef";

    static std::filesystem::path WriteCatalogue(const QTemporaryDir& dir)
    {
        const auto item = [](const char* id, const char* imgindex, const std::string& url) {
            return std::string("<item><id>") + id
                + "</id><name>n</name><country>c</country><bandwidth/>"
                  "<type2>tv</type2><imgindex>"
                + imgindex + "</imgindex><url>" + url + "</url></item>\n";
        };
        const auto protect = [](const std::string& plain) {
            return EncipherString(plain, kPassphrase, KeySize::Key256);
        };
        std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items>\n";
        xml += item("1", "0", protect("  http://h/radio.mp3 \t"));
        xml += item("2", "1", protect("rtsp://h/tv.rm"));
        xml += item("3", "2", protect("http://h/cam.jpg"));
        xml += item("4", "x", protect("http://h/x"));
        xml += item("5", "7", protect("http://h/x"));
        xml += item("6", "0", protect("http://h/\"</script>"));
        xml += item("7", "2", protect("http://h/first"));
        xml += item("7", "0", protect("http://h/second"));
        xml += item("8", "0", "ZZ00");
        xml += "</items>\n";
        const auto path = std::filesystem::path(dir.path().toStdString()) / "tv-all.xml";
        std::ofstream(path, std::ios::binary) << xml;
        return path;
    }
};

QTEST_GUILESS_MAIN(PageGenerationTest)
#include "test_page_generation.moc"
