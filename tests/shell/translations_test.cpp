// The languages: which one the locale picks, whether every text in the code has its English
// translation, and what the windows show in each language (the Chinese texts exactly as written,
// the English ones whole inside their controls).
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QRegularExpression>
#include <QStyleOptionComboBox>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>

#include "about_dialog.h"
#include "icon_button.h"
#include "icon_button_layout.h"
#include "link_state_icon.h"
#include "main_window.h"
#include "messages.h"
#include "offscreen_app.h"
#include "play_time.h"
#include "port_dialog.h"
#include "profile.h"
#include "space_gauge_figures.h"
#include "translation_catalogue.h"
#include "ui_language.h"
#include "wait_window.h"

namespace zemlo::shell {
namespace {

using i18n::LocaleVariables;
using i18n::UiLanguage;

// --- the rule ------------------------------------------------------------------------------------

TEST(LanguageRule, FollowsTheLocale) {
    struct Case {
        LocaleVariables vars;
        UiLanguage expected;
    };
    const Case cases[] = {
        {{}, UiLanguage::Chinese},  // no locale at all
        {{"", "", "", "", "C"}, UiLanguage::Chinese},
        {{"", "", "", "", "POSIX"}, UiLanguage::Chinese},
        {{"", "", "", "", "C.UTF-8"}, UiLanguage::Chinese},
        {{"", "", "", "", "zh_CN.UTF-8"}, UiLanguage::Chinese},
        {{"", "", "", "", "zh_TW"}, UiLanguage::Chinese},
        {{"", "", "", "", "zh"}, UiLanguage::Chinese},
        {{"", "", "", "", "en_US.UTF-8"}, UiLanguage::English},
        {{"", "", "", "", "de_DE.UTF-8@euro"}, UiLanguage::English},
        // LC_ALL before LC_MESSAGES before LANG; an empty one is not set.
        {{"", "", "en_GB.UTF-8", "zh_CN.UTF-8", "zh_CN.UTF-8"}, UiLanguage::English},
        {{"", "", "", "zh_CN.UTF-8", "en_US.UTF-8"}, UiLanguage::Chinese},
        {{"", "", "C", "", "en_US.UTF-8"}, UiLanguage::Chinese},
        // LANGUAGE first, its first non-empty entry deciding.
        {{"", "en_US:zh_CN", "zh_CN.UTF-8", "", ""}, UiLanguage::English},
        {{"", "::zh_CN:en", "en_US.UTF-8", "", ""}, UiLanguage::Chinese},
        {{"", "fr", "zh_CN.UTF-8", "", ""}, UiLanguage::English},
        {{"", ":", "", "", "zh_CN.UTF-8"}, UiLanguage::Chinese},
        // ZEMLO_LANG overrides; another value of it is ignored.
        {{"en", "zh_CN", "zh_CN.UTF-8", "", ""}, UiLanguage::English},
        {{"ZH", "en_US", "en_US.UTF-8", "", ""}, UiLanguage::Chinese},
        {{"fr", "", "", "", "en_US.UTF-8"}, UiLanguage::English},
        {{"english", "", "", "", "zh_CN"}, UiLanguage::Chinese},
        // A value longer than any locale name is still read by its start.
        {{"", "", "", "", "en_US." + std::string(100000, 'x')}, UiLanguage::English},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(i18n::choose_ui_language(c.vars), c.expected)
            << "ZEMLO_LANG=" << c.vars.zemlo_lang << " LANGUAGE=" << c.vars.language
            << " LC_ALL=" << c.vars.lc_all << " LC_MESSAGES=" << c.vars.lc_messages
            << " LANG=" << c.vars.lang.substr(0, 40);
    }
    EXPECT_STREQ(i18n::help_file_name(UiLanguage::Chinese), "dwnHelp.html");
    EXPECT_STREQ(i18n::help_file_name(UiLanguage::English), "dwnHelp-en.html");
}

// --- the catalogue against the code --------------------------------------------------------------

struct CatalogueEntry {
    QString context;
    QString source;
    QString translation;
    QString state;  // the translation's type attribute: empty when finished
};

std::vector<CatalogueEntry> read_catalogue(const QString &path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    std::vector<CatalogueEntry> entries;
    QXmlStreamReader xml(&file);
    QString context;
    CatalogueEntry entry;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) {
            continue;
        }
        if (xml.name() == u"name") {
            context = xml.readElementText();
        } else if (xml.name() == u"message") {
            entry = {context, {}, {}, {}};
        } else if (xml.name() == u"source") {
            entry.source = xml.readElementText();
        } else if (xml.name() == u"translation") {
            entry.state = xml.attributes().value(QStringLiteral("type")).toString();
            entry.translation = xml.readElementText();
            entries.push_back(entry);
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return entries;
}

std::multiset<QString> placeholders(const QString &text) {
    std::multiset<QString> found;
    static const QRegularExpression re(QStringLiteral("%[1-9]"));
    for (auto it = re.globalMatch(text); it.hasNext();) {
        found.insert(it.next().captured());
    }
    return found;
}

void expect_all_translated(const std::vector<CatalogueEntry> &entries) {
    for (const CatalogueEntry &e : entries) {
        const std::string where = e.context.toStdString() + " / " + e.source.toStdString();
        EXPECT_TRUE(e.state.isEmpty()) << where << " is " << e.state.toStdString();
        EXPECT_FALSE(e.translation.trimmed().isEmpty()) << where << " has no translation";
        // A translation that drops or invents a %1 loses a file name or shows a raw placeholder.
        EXPECT_EQ(placeholders(e.translation), placeholders(e.source)) << where;
    }
}

const QString kCatalogue = QStringLiteral(ZEMLO_SOURCE_DIR "/i18n/zemlo_en.ts");

TEST(EnglishCatalogue, EveryEntryIsTranslatedWithItsPlaceholders) {
    const std::vector<CatalogueEntry> entries = read_catalogue(kCatalogue);
    ASSERT_GT(entries.size(), 100u);
    expect_all_translated(entries);
}

// lupdate over the sources adds every text the code has and the catalogue lacks, unfinished.
TEST(EnglishCatalogue, EveryTextInTheCodeIsInIt) {
    const std::string lupdate = ZEMLO_LUPDATE;
    if (lupdate.empty() || lupdate.find("NOTFOUND") != std::string::npos) {
        GTEST_SKIP() << "lupdate not installed (qt6-l10n-tools)";
    }
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("zemlo_en.ts"));
    ASSERT_TRUE(QFile::copy(kCatalogue, copy));
    const std::string src = ZEMLO_SOURCE_DIR;
    const std::string command = "'" + lupdate +
                                "' -silent -locations none -no-obsolete -source-language zh_CN "
                                "-target-language en '" +
                                src + "/shell' '" + src + "/app' '" + src + "/cli' '" + src +
                                "/i18n' -ts '" + copy.toStdString() + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    expect_all_translated(read_catalogue(copy));
}

// lupdate sees only the texts written inside a translation call: a Chinese text of the window
// written bare would stay Chinese in English. The two programs that draw the windows for people
// to look at (the controls gallery, the screenshot tour) are tools, not the window.
TEST(EnglishCatalogue, NoTextOfTheWindowBypassesIt) {
    static const QRegularExpression chinese_literal(
        QStringLiteral("\"[^\"]*[\\x{4e00}-\\x{9fff}]"));
    static const QRegularExpression translation_call(
        QStringLiteral("\\btr\\(|translate\\(|QT_TRANSLATE_NOOP\\("));
    int files = 0;
    for (const auto &entry :
         std::filesystem::recursive_directory_iterator(ZEMLO_SOURCE_DIR "/shell")) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".cpp" || name == "controls_gallery.cpp" ||
            name == "screenshot_tour.cpp") {
            continue;
        }
        ++files;
        QFile file(QString::fromStdString(entry.path().string()));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QString previous;
        int number = 0;
        while (!file.atEnd()) {
            QString line = QString::fromUtf8(file.readLine());
            ++number;
            const qsizetype comment = line.indexOf(QStringLiteral("//"));
            if (comment >= 0) {
                line.truncate(comment);
            }
            // A call split over two lines has its text on the second one.
            EXPECT_TRUE(!line.contains(chinese_literal) || line.contains(translation_call) ||
                        previous.contains(translation_call))
                << name << ":" << number << ": " << line.trimmed().toStdString();
            previous = line;
        }
    }
    EXPECT_GT(files, 20);
}

// The catalogue built into the program answers for every text of the core's message table.
TEST(EnglishCatalogue, CoversTheMessageTable) {
    const std::unique_ptr<QTranslator> english = i18n::load_english_catalogue();
    ASSERT_TRUE(english);
    for (int i = 1; i < static_cast<int>(app::MessageId::Count); ++i) {
        const char *source = app::source_text(static_cast<app::MessageId>(i));
        EXPECT_FALSE(english->translate("Messages", source).isEmpty()) << source;
    }
}

// --- the windows in each language ----------------------------------------------------------------

class WindowLanguage : public ::testing::Test {
  protected:
    void SetUp() override {
        test::ensure_app();
        QApplication::setFont(dialog_font());
    }
    void TearDown() override { i18n::use_language(UiLanguage::Chinese); }

    static void speak(UiLanguage language) { ASSERT_TRUE(i18n::use_language(language)); }

    static std::unique_ptr<MainWindow> make_window(app::Profile &profile) {
        WindowHooks hooks;
        hooks.box = [](const app::MessageBoxDetails &, QWidget *) { return app::BoxAnswer::Ok; };
        hooks.run_dialog = [](QDialog &) { return 0; };
        hooks.open_url = [](const QUrl &) { return true; };
        return std::make_unique<MainWindow>(profile, "/nonexistent", std::move(hooks));
    }

    static QStringList texts(const QWidget &window) {
        QStringList out;
        for (const QAction *menu : window.findChild<QMenuBar *>()->actions()) {
            out << menu->text();
            for (const QAction *item : menu->menu()->actions()) {
                if (!item->isSeparator()) {
                    out << item->text();
                }
            }
        }
        for (const QAbstractButton *b : window.findChildren<IconButton *>()) {
            if (!b->text().isEmpty()) {
                out << b->text();
            }
        }
        return out;
    }
};

TEST_F(WindowLanguage, ChineseTextsStayAsWrittenAndEnglishReplacesThem) {
    app::MemoryProfile profile;
    {
        const auto window = make_window(profile);
        EXPECT_EQ(texts(*window).join(u'|'),
                  QStringLiteral("文件(&F)|设置(&S)|格式化(&M)|退出(&X)|其他(&O)|帮助(&H)|关于(&A)|"
                                 "连接|下载|重命名|删除|断开"));
    }
    EXPECT_EQ(play_time_text(65'400), "播放时间 01:05");
    EXPECT_EQ(space_tip_text(1000, 250), QStringLiteral("已用空间:750字节,剩余空间:250字节"));
    EXPECT_EQ(space_tip_text(0, 0), QStringLiteral("(未连接)"));
    EXPECT_EQ(app::render(app::MessageId::SendingPacket, {"7"}), "正在发送第7个数据包...");
    EXPECT_EQ(app::render(app::MessageId::BatchStep, {"2", "3", "a.jpg", "x"}),
              "文件2/3：a.jpg\nx");
    EXPECT_EQ(app::render(app::MessageId::BatchSummary, {"1", "2", "a\nb"}),
              "2个文件中有1个下载成功：\na\nb");

    speak(UiLanguage::English);
    {
        const auto window = make_window(profile);
        EXPECT_EQ(texts(*window).join(u'|'),
                  QStringLiteral("&File|&Settings|For&mat|E&xit|&Other|&Help|&About|Connect|"
                                 "Download|Rename|Delete|Disconnect"));
    }
    EXPECT_EQ(play_time_text(65'400), "Play time 01:05");
    EXPECT_EQ(space_tip_text(1000, 250), QStringLiteral("Used: 750 bytes, free: 250 bytes"));
    EXPECT_EQ(app::render(app::MessageId::SendingPacket, {"7"}), "Sending packet 7...");
    EXPECT_EQ(app::render(app::MessageId::BatchStep, {"2", "3", "a.jpg", "x"}),
              "File 2/3: a.jpg\nx");
    EXPECT_EQ(app::render(app::MessageId::BatchSummary, {"1", "2", "a\nb"}),
              "1 of 2 files were downloaded:\na\nb");

    // Qt's own texts (a text box's context menu) follow: English in English...
    EXPECT_EQ(QCoreApplication::translate("QLineEdit", "&Copy"), QStringLiteral("&Copy"));

    // And back: switching to Chinese takes the catalogue out again, and Qt's own texts come in
    // Chinese with it.
    speak(UiLanguage::Chinese);
    EXPECT_EQ(play_time_text(65'400), "播放时间 01:05");
    EXPECT_EQ(QCoreApplication::translate("QLineEdit", "&Copy"), QStringLiteral("复制(&C)"));
}

// Every caption, label and list entry of every window fits inside its control in English, whose
// words are longer than the Chinese ones the fixed layout was drawn for.
void expect_nothing_cut_off(const QWidget &window, const std::string &name) {
    for (const QLabel *label : window.findChildren<QLabel *>()) {
        // The link state shows its text to screen readers only: it paints the icon alone.
        if (label->text().isEmpty() || !label->pixmap().isNull() ||
            qobject_cast<const LinkStateIcon *>(label) != nullptr) {
            continue;
        }
        for (const QString &line : label->text().split(u'\n')) {
            EXPECT_LE(label->fontMetrics().horizontalAdvance(line), label->contentsRect().width())
                << name << ": label \"" << line.toStdString() << "\"";
        }
    }
    for (const QAbstractButton *button : window.findChildren<QAbstractButton *>()) {
        if (button->text().isEmpty()) {
            continue;
        }
        const int advance = button->fontMetrics().horizontalAdvance(button->text());
        int room = button->width() - 8;  // a push button's frame and margins
        if (const auto *icon_button = qobject_cast<const IconButton *>(button)) {
            room =
                layout_icon_button(EdgeRect::from(icon_button->rect()), QSize(32, 32), true, true)
                    .caption_area.width();
        }
        EXPECT_LE(advance, room) << name << ": button \"" << button->text().toStdString() << "\"";
    }
    for (const QComboBox *combo : window.findChildren<QComboBox *>()) {
        if (combo->isEditable()) {
            continue;  // a device path: the box scrolls, and the user can widen nothing anyway
        }
        QStyleOptionComboBox option;
        option.initFrom(combo);
        const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                           QStyle::SC_ComboBoxEditField, combo);
        for (int i = 0; i < combo->count(); ++i) {
            EXPECT_LE(combo->fontMetrics().horizontalAdvance(combo->itemText(i)), field.width())
                << name << ": list entry \"" << combo->itemText(i).toStdString() << "\"";
        }
    }
}

TEST_F(WindowLanguage, EnglishTextsFitTheirControls) {
    speak(UiLanguage::English);
    app::MemoryProfile profile;
    const auto window = make_window(profile);
    window->set_connection_text(app::render(app::MessageId::NotConnected, {"11"}), false);
    window->initialise();
    expect_nothing_cut_off(*window, "main window");

    const BaseUnits base = base_units(dialog_font());
    AboutDialog about(base, nullptr);
    about.setFont(dialog_font());
    expect_nothing_cut_off(about, "about box");
    PortDialog port(base, 11, {}, {}, nullptr);
    port.setFont(dialog_font());
    expect_nothing_cut_off(port, "port dialog");
    BoxAnswerer answerer = [](const app::MessageBoxDetails &, QWidget *) {
        return app::BoxAnswer::Ok;
    };
    WaitWindow wait(base, &answerer);
    wait.setFont(dialog_font());
    wait.report({app::ReportLevel::Progress, {app::MessageId::SendingPacket, {"120"}}, 0, {}},
                false);
    expect_nothing_cut_off(wait, "wait window");
    wait.dismiss();
}

// The core's texts land in the wait window's line and the status line: a text that fits there in
// Chinese fits in English too.
TEST_F(WindowLanguage, CoreTextsThatFitInChineseFitInEnglish) {
    app::MemoryProfile profile;
    const auto window = make_window(profile);
    QLabel *status = nullptr;
    for (QLabel *label : window->findChildren<QLabel *>()) {
        if (status == nullptr || label->width() > status->width()) {
            status = label;  // the widest label of the window is the status line
        }
    }
    ASSERT_NE(status, nullptr);
    const BaseUnits base = base_units(dialog_font());
    BoxAnswerer answerer = [](const app::MessageBoxDetails &, QWidget *) {
        return app::BoxAnswer::Ok;
    };
    WaitWindow wait(base, &answerer);
    wait.setFont(dialog_font());
    QLabel *wait_line = wait.findChild<QLabel *>();
    ASSERT_NE(wait_line, nullptr);

    const std::vector<std::string> args{"file1234.bmp", "file5678"};
    const auto widths = [&](const QLabel &label) {
        std::map<int, int> out;
        // The command line's own texts go to a terminal, never to these lines.
        for (int i = 1; i < static_cast<int>(app::kFirstCommandLineText); ++i) {
            const QString text =
                QString::fromStdString(app::render(static_cast<app::MessageId>(i), args));
            int widest = 0;
            for (const QString &line : text.split(u'\n')) {
                widest = std::max(widest, label.fontMetrics().horizontalAdvance(line));
            }
            out[i] = widest;
        }
        return out;
    };
    const std::map<int, int> chinese_status = widths(*status);
    const std::map<int, int> chinese_wait = widths(*wait_line);
    speak(UiLanguage::English);
    const std::map<int, int> english_status = widths(*status);
    const std::map<int, int> english_wait = widths(*wait_line);
    for (const auto &[id, width] : chinese_status) {
        const char *source = app::source_text(static_cast<app::MessageId>(id));
        if (width <= status->contentsRect().width()) {
            EXPECT_LE(english_status.at(id), status->contentsRect().width()) << source;
        }
        if (chinese_wait.at(id) <= wait_line->contentsRect().width()) {
            EXPECT_LE(english_wait.at(id), wait_line->contentsRect().width()) << source;
        }
    }
}

// The wait window's line while a format is checked changes every try: it must be read whole, in
// both languages, with two-digit figures.
TEST_F(WindowLanguage, FormatCheckProgressFitsTheWaitWindow) {
    const BaseUnits base = base_units(dialog_font());
    BoxAnswerer answerer = [](const app::MessageBoxDetails &, QWidget *) {
        return app::BoxAnswer::Ok;
    };
    WaitWindow wait(base, &answerer);
    wait.setFont(dialog_font());
    QLabel *line = wait.findChild<QLabel *>();
    ASSERT_NE(line, nullptr);
    for (const UiLanguage language : {UiLanguage::Chinese, UiLanguage::English}) {
        speak(language);
        for (const app::MessageId id :
             {app::MessageId::Restarting, app::MessageId::FormatReconnecting,
              app::MessageId::FormatReadingFiles}) {
            const QString text = QString::fromStdString(app::render(id, {"12", "20"}));
            EXPECT_LE(line->fontMetrics().horizontalAdvance(text), line->contentsRect().width())
                << text.toStdString();
        }
    }
}

TEST_F(WindowLanguage, HelpOpensTheGuideOfTheLanguage) {
    QTemporaryDir dir;
    const QString chinese = dir.filePath(QStringLiteral("dwnHelp.html"));
    QFile(chinese).open(QIODevice::WriteOnly);
    app::MemoryProfile profile;
    QUrl opened;
    WindowHooks hooks;
    hooks.open_url = [&](const QUrl &url) {
        opened = url;
        return true;
    };
    MainWindow window(profile, "/nonexistent", hooks);

    speak(UiLanguage::English);
    // Without the English page the Chinese one is better than none.
    window.open_help(chinese.toStdString());
    EXPECT_EQ(opened.toLocalFile(), chinese);
    const QString english = dir.filePath(QStringLiteral("dwnHelp-en.html"));
    QFile(english).open(QIODevice::WriteOnly);
    window.open_help(chinese.toStdString());
    EXPECT_EQ(opened.toLocalFile(), english);

    speak(UiLanguage::Chinese);
    window.open_help(chinese.toStdString());
    EXPECT_EQ(opened.toLocalFile(), chinese);
}

// With no browser to open it, the box names the guide's path exactly, even one that is not UTF-8.
TEST_F(WindowLanguage, HelpWithoutABrowserNamesThePathInEitherLanguage) {
    app::MemoryProfile profile;
    std::string said;
    WindowHooks hooks;
    hooks.open_url = [](const QUrl &) { return false; };
    hooks.box = [&](const app::MessageBoxDetails &box, QWidget *) {
        said = box.caption + "|" + box.text;
        return app::BoxAnswer::Ok;
    };
    MainWindow window(profile, "/nonexistent", hooks);
    const std::string path = "/opt/z\xff\xfe/dwnHelp.html";
    window.open_help(path);
    EXPECT_EQ(said, "帮助|无法打开帮助，请用浏览器打开帮助文件：\n" + path);
    speak(UiLanguage::English);
    window.open_help(path);
    EXPECT_EQ(said,
              "Help|The help could not be opened. Open the help file in a web browser:\n" + path);
}

TEST(HelpPages, TheEnglishGuideHasEverySectionOfTheChineseOne) {
    const auto anchors = [](const QString &path) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        std::set<QString> ids;
        static const QRegularExpression re(QStringLiteral("id=\"([a-z]+)\""));
        for (auto it = re.globalMatch(QString::fromUtf8(file.readAll())); it.hasNext();) {
            ids.insert(it.next().captured(1));
        }
        return ids;
    };
    const std::set<QString> chinese =
        anchors(QStringLiteral(ZEMLO_SOURCE_DIR "/shell/help/dwnHelp.html"));
    EXPECT_FALSE(chinese.empty());
    EXPECT_EQ(anchors(QStringLiteral(ZEMLO_SOURCE_DIR "/shell/help/dwnHelp-en.html")), chinese);
}

}  // namespace
}  // namespace zemlo::shell
