// The other child widgets on Qt, and the host services: fonts, metrics,
// the property store.
#include <QFontDatabase>
#include <QMessageBox>
#include <QSettings>
#include <QTimer>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "agendor/platform/qt/qt_font.h"
#include "agendor/platform/qt/qt_host.h"
#include "agendor/platform/qt/qt_markers.h"
#include "agendor/platform/qt/qt_widgets.h"
#include "agendor/platform/qt/tests/qt_test_support.h"

namespace agendor::qt {
namespace {

using testing::DeliverPosted;
using testing::EventLog;

std::vector<ToolbarButton> SheetButtons() {
    std::vector<ToolbarButton> buttons(5);
    const char* tips[] = {"Wochenansicht ", "Monatsansicht", "Zurück", "Vor", "Drucken"};
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        buttons[i].toolTip = tips[i];
        buttons[i].image = static_cast<int>(i) + 3;
        buttons[i].grouped = i < 2;
    }
    return buttons;
}

TEST(QtToolbarTest, GroupedButtonsReleaseEachOtherAndClicksReportTheIndex) {
    QWidget window;
    auto* bar = new QtToolbar(&window, SheetButtons());
    bar->Place(45, 150, 1755, 330);
    testing::ShowActive(window);
    std::vector<int> clicks;
    bar->ButtonClick = [&](int index) { clicks.push_back(index); };

    bar->SetButtonPressed(2, true);
    EXPECT_TRUE(bar->Button(2).pressed);
    QTest::mouseClick(bar->ButtonWidget(1), Qt::LeftButton);
    EXPECT_TRUE(bar->Button(1).pressed);
    EXPECT_FALSE(bar->Button(2).pressed);
    EXPECT_TRUE(bar->Action(1)->isChecked());
    // Clicking the pressed one keeps it pressed.
    QTest::mouseClick(bar->ButtonWidget(1), Qt::LeftButton);
    EXPECT_TRUE(bar->Button(1).pressed);
    QTest::mouseClick(bar->ButtonWidget(4), Qt::LeftButton);
    EXPECT_FALSE(bar->Button(4).pressed);
    EXPECT_EQ(clicks, (std::vector<int>{1, 1, 4}));
    EXPECT_EQ(bar->Action(1)->toolTip(), QStringLiteral("Wochenansicht "));
    EXPECT_EQ(bar->Action(3)->toolTip(), QStringLiteral("Zurück"));

    bar->SetButtonVisible(5, false);
    EXPECT_FALSE(bar->Action(5)->isVisible());
    EXPECT_THROW(bar->Button(6), Error);
    // Five buttons fit into the designed width.
    for (int i = 1; i <= 4; ++i) EXPECT_LE(bar->ButtonWidget(i)->geometry().right(), bar->width());
}

TEST(QtToolbarTest, EveryImageIsDrawn) {
    for (int image = 1; image <= kToolbarImageCount; ++image) {
        const QImage picture = ToolbarImage(image).pixmap(16, 16).toImage();
        int painted = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) painted += qAlpha(picture.pixel(x, y)) > 0;
        EXPECT_GT(painted, 20) << "image " << image;
    }
}

class MaskedEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        edit = new QtMaskedEdit(&window);
        edit->Place(0, 0, 1335, 375);
        edit->SetMask("##:##");
        edit->SetPromptChar('_');
        other = new QLineEdit(&window);
        other->move(0, 50);
        testing::ShowActive(window);
        // The window's first activation focuses its first child; start elsewhere.
        other->setFocus();
        DeliverPosted();
    }
    QWidget window;
    QtMaskedEdit* edit = nullptr;
    QLineEdit* other = nullptr;
    EventLog log;
};

TEST_F(MaskedEditTest, ShowsPromptsLiteralsAndTypedDigits) {
    EXPECT_EQ(edit->Text(), "__:__");
    edit->setFocus();
    edit->setCursorPosition(0);
    QTest::keyClicks(edit, "1");
    EXPECT_EQ(edit->Text(), "1_:__");
    QTest::keyClicks(edit, "a930");
    EXPECT_EQ(edit->Text(), "19:30");
    // Set texts, each after the last; a refused one keeps what stands.
    const std::pair<const char*, const char*> texts[] = {
        {"08:05", "08:05"}, {"1_:__", "1_:__"}, {"", "__:__"}, {"8:05", nullptr}, {"08.05", nullptr}};
    for (const auto& [text, shown] : texts) {
        if (shown) EXPECT_NO_THROW(edit->SetText(text)) << text;
        else EXPECT_THROW(edit->SetText(text), Error) << text;
        EXPECT_EQ(edit->Text(), shown ? shown : "__:__") << text;
    }
}

TEST_F(MaskedEditTest, EnterAndEscDeliverKeyDownThenKeyPress) {
    edit->events.KeyDown = [&](int code, int shift) { log.Add("KeyDown " + std::to_string(code) + "/" + std::to_string(shift)); };
    edit->events.KeyPress = [&](int& code) {
        log.Add("KeyPress " + std::to_string(code));
        if (code == '5') code = 0;
    };
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Escape, Qt::ShiftModifier);
    QTest::keyClick(edit, '5');
    EXPECT_EQ(log.entries, (std::vector<std::string>{"KeyDown 13/0", "KeyPress 13", "KeyDown 16/1", "KeyDown 27/1", "KeyPress 27",
                                                     "KeyDown 53/0", "KeyPress 53"}));
    EXPECT_EQ(edit->Text(), "__:__");  // the swallowed digit is not typed
}

TEST_F(MaskedEditTest, FocusNotificationsArePostedValidateFirstAndCancelKeepsTheFocus) {
    bool cancel = false;
    edit->events.GotFocus = [&] { log.Add("GotFocus"); };
    edit->events.LostFocus = [&] { log.Add("LostFocus"); };
    edit->events.Validate = [&](bool& c) {
        log.Add("Validate");
        c = cancel;
    };
    edit->setFocus();
    log.Add("focused");
    DeliverPosted();
    other->setFocus();
    log.Add("left");
    DeliverPosted();
    EXPECT_EQ(log.entries, (std::vector<std::string>{"focused", "GotFocus", "left", "Validate", "LostFocus"}));

    log.Clear();
    cancel = true;
    edit->setFocus();
    DeliverPosted();
    other->setFocus();
    DeliverPosted();
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(log.entries, (std::vector<std::string>{"GotFocus", "Validate"}));
}

TEST_F(MaskedEditTest, HidingTheFocusedEditorDeliversLostFocusAfterTheHandler) {
    edit->events.LostFocus = [&] { log.Add("LostFocus"); };
    edit->events.KeyDown = [&](int code, int) {
        if (code != 27) return;
        edit->SetVisible(false);
        log.Add("hidden");
    };
    edit->setFocus();
    DeliverPosted();
    QTest::keyClick(edit, Qt::Key_Escape);
    DeliverPosted();
    EXPECT_EQ(log.entries, (std::vector<std::string>{"hidden", "LostFocus"}));
    EXPECT_THROW(edit->SetFocus(), Error);
}

TEST(QtComboBoxTest, ListIndexFollowsTheTextAndChoicesRaiseClick) {
    QWidget window;
    auto* box = new QtComboBox(&window);
    box->Place(0, 0, 1815, 315);
    testing::ShowActive(window);
    int clicks = 0;
    box->Click = [&] { ++clicks; };
    for (const char* name : {"Meier", "Müller"}) box->AddItem(name);
    EXPECT_EQ(box->ListCount(), 2);
    EXPECT_EQ(box->List(1), "Müller");
    box->SetText("");
    EXPECT_EQ(box->ListIndex(), -1);
    box->SetText("Müller");
    EXPECT_EQ(box->ListIndex(), 1);
    box->SetListIndex(0);
    EXPECT_EQ(box->Text(), "Meier");
    EXPECT_EQ(clicks, 0);  // only the person's choice is a click

    box->setFocus();
    box->lineEdit()->selectAll();
    QTest::keyClicks(box->lineEdit(), "Schulz");
    EXPECT_EQ(box->Text(), "Schulz");
    EXPECT_EQ(box->ListIndex(), -1);
    std::vector<int> keys;
    box->events.KeyPress = [&](int& key) { keys.push_back(key); };
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(keys, (std::vector<int>{13}));
    EXPECT_EQ(box->ListCount(), 2);  // Enter adds nothing to the list

    box->activated(1);  // what a choice in the drop-down emits
    emit box->activated(1);
    EXPECT_EQ(clicks, 2);
    box->Clear();
    EXPECT_EQ(box->ListCount(), 0);
    EXPECT_EQ(box->Text(), "");
    EXPECT_THROW(box->List(0), Error);
}

class QtMarkerTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.resize(400, 300);
        testing::ShowActive(window);
        markers.Click = [&](int index) { clicks.push_back(index); };
    }
    QWidget window;
    QtMarkerArray markers{&window, 4200, 300, 210, 195};
    std::vector<int> clicks;
};

TEST_F(QtMarkerTest, ElementsAreCopiesOfTheTemplateAndReportTheirIndexWhenClicked) {
    EXPECT_EQ(markers.Count(), 1);
    markers.Load(1);
    markers.Load(3);
    EXPECT_EQ(markers.Count(), 4);
    EXPECT_THROW(markers.Load(3), Error);
    EXPECT_THROW(markers.Load(0), Error);
    EXPECT_FALSE(markers.Element(3).Visible());
    EXPECT_EQ(markers.Element(3).Width(), 210);
    EXPECT_EQ(markers.ShownOn(3), nullptr);
    EXPECT_THROW(markers.Element(3).SetFocus(), Error);
    markers.Element(3).SetLeft(1500);
    markers.Element(3).SetTop(750);
    markers.Element(3).SetVisible(true);
    markers.SetTag(3, "17");
    EXPECT_EQ(markers.Tag(3), "17");
    ASSERT_NE(markers.ShownOn(3), nullptr);
    EXPECT_EQ(markers.ShownOn(3)->geometry(), QRect(100, 50, 14, 13));

    const QImage shot = window.grab().toImage();
    EXPECT_EQ(shot.pixelColor(100 + 7, 50 + 4), QColor(0, 128, 128));
    QTest::mouseClick(markers.ShownOn(3), Qt::LeftButton, {}, QPoint(7, 6));
    EXPECT_EQ(clicks, (std::vector<int>{3}));

    EXPECT_THROW(markers.Unload(0), Error);
    markers.Unload(3);
    EXPECT_EQ(markers.Count(), 2);
    EXPECT_THROW(markers.Unload(3), Error);
    EXPECT_THROW(markers.Tag(3), Error);
    EXPECT_EQ(window.grab().toImage().pixelColor(100 + 7, 50 + 4), window.palette().window().color());
}

// The markers of a full day lie on one spot: one widget shows them all, a
// click there is the click of the frontmost shown, and the widgets are
// reused when the sheet is built again.
TEST_F(QtMarkerTest, MarkersOnOneSpotShareAWidgetAndTheFrontmostTakesTheClick) {
    const auto place = [&](int index, Twips left, Twips top) {
        markers.Load(index);
        markers.Element(index).SetLeft(left);
        markers.Element(index).SetTop(top);
        markers.SetTag(index, std::to_string(left));
        markers.Element(index).ZOrder();
        markers.Element(index).SetVisible(true);
    };
    for (int build = 0; build < 2; ++build) {
        for (int i = 1; i <= 40; ++i) place(i, i % 2 ? 1500 : 3000, 750);
        EXPECT_EQ(markers.WidgetCount(), 2);
        QtMarker* odd = markers.ShownOn(1);
        ASSERT_NE(odd, nullptr);
        EXPECT_EQ(markers.ShownOn(39), odd);
        EXPECT_NE(markers.ShownOn(40), odd);
        EXPECT_EQ(markers.ElementsOn(odd).size(), 20u);
        clicks.clear();
        QTest::mouseClick(odd, Qt::LeftButton, {}, QPoint(7, 6));
        // Raising an element brings it (and its spot) to the front.
        markers.Element(5).ZOrder();
        QTest::mouseClick(odd, Qt::LeftButton, {}, QPoint(7, 6));
        markers.Element(5).SetVisible(false);
        QTest::mouseClick(odd, Qt::LeftButton, {}, QPoint(7, 6));
        EXPECT_EQ(clicks, (std::vector<int>{39, 5, 39}));
        for (int i = 40; i >= 1; --i) markers.Unload(i);
        EXPECT_FALSE(odd->isVisible());
    }
}

std::vector<MenuItem> ContextItems() {
    std::vector<MenuItem> items;
    for (const char* caption : {"Vor", "Zurück", "-", "Wochenansicht", "-", "Bearbeiten", "Drucken"})
        items.push_back({caption, true});
    return items;
}

TEST(QtPopupMenuTest, ItemsSeparatorsAndTheChosenItem) {
    QWidget window;
    QtPopupMenu menu(&window, ContextItems());
    const QList<QAction*> actions = menu.Menu().actions();
    ASSERT_EQ(actions.size(), 7);
    EXPECT_TRUE(actions[2]->isSeparator());
    EXPECT_EQ(actions[1]->text(), QStringLiteral("Zurück"));
    menu.SetItemCaption(4, "Monatsansicht");
    EXPECT_EQ(actions[3]->text(), QStringLiteral("Monatsansicht"));
    menu.SetItemVisible(6, false);
    EXPECT_FALSE(actions[5]->isVisible());
    EXPECT_FALSE(menu.Item(6).visible);

    std::vector<int> chosen;
    menu.ItemClick = [&](int index) { chosen.push_back(index); };
    int next = 0;
    menu.SetChooser([&](QtPopupMenu&) { return next; });
    for (int choice : {7, 6, 3}) {  // 6 is hidden and 3 a separator: no choice
        next = choice;
        menu.Popup(0, 0);
    }
    EXPECT_EQ(chosen, (std::vector<int>{7}));
    EXPECT_EQ(menu.PopupCount(), 3);
}

TEST(QtPopupMenuTest, TheRealMenuRunsItsChoiceBeforePopupReturns) {
    QWidget window;
    window.resize(300, 300);
    testing::ShowActive(window);
    QtPopupMenu menu(&window, ContextItems());
    std::vector<std::string> log;
    menu.ItemClick = [&](int index) { log.push_back("item " + std::to_string(index)); };
    QTimer::singleShot(50, [&] {
        QAction* drucken = menu.Menu().actions()[6];
        drucken->activate(QAction::Trigger);
        menu.Menu().close();
    });
    menu.Popup(300, 300);
    log.push_back("returned");
    EXPECT_EQ(log, (std::vector<std::string>{"item 7", "returned"}));
}

TEST(QtFontTest, NamesOfOtherDesktopsShowInAnInstalledFamily) {
    QtFont arial("Arial", 8.25);
    EXPECT_EQ(arial.Name(), "Arial");
    EXPECT_DOUBLE_EQ(arial.Size(), 8.25);
    EXPECT_FALSE(InstalledFamily("Arial").isEmpty());
    EXPECT_TRUE(QFontDatabase::hasFamily(arial.qfont().family()));
    QtFont sans("MS Sans Serif", 9.75, true);
    EXPECT_TRUE(sans.Bold());
    EXPECT_TRUE(QFontDatabase::hasFamily(sans.qfont().family()));
    EXPECT_THAT([&] { arial.SetName("No Such Font 123"); },
                ::testing::ThrowsMessage<Error>(::testing::StrEq("Schriftart nicht gefunden")));
    EXPECT_EQ(arial.Name(), "Arial");  // keeps its name
    EXPECT_THROW(arial.SetSize(0), Error);
}

TEST(QtTextMetricsTest, MeasuresInTwipsAtTheScreensDpi) {
    QWidget reference;
    QtTextMetrics metrics(&reference);
    ASSERT_EQ(reference.logicalDpiX(), 96);
    EXPECT_EQ(metrics.TwipsPerPixelX(), 15);
    EXPECT_EQ(metrics.TwipsPerPixelY(), 15);
    QtFont font("Arial", 8.25);
    const Twips one = metrics.TextHeight(font, "09:00 Meier");
    EXPECT_EQ(one, QFontMetrics(font.qfont()).height() * 15);
    EXPECT_EQ(metrics.TextHeight(font, "14\r09:00 Meier\r10:00 Kurz"), 3 * one);
    const Twips wide = metrics.TextWidth(font, "09:00 Meier");
    EXPECT_NEAR(wide, QFontMetricsF(font.qfont()).horizontalAdvance("09:00 Meier") * 15, 1);
    EXPECT_EQ(metrics.TextWidth(font, "1\r09:00 Meier"), wide);  // the widest line
    EXPECT_GT(metrics.TextWidth(QtFont("Arial", 16), "09:00 Meier"), wide);
}

TEST(QtPropertyStoreTest, ValuesRoundTripAndDefaultsAreNotStored) {
    QTemporaryDir dir;
    const QString file = dir.filePath("agendor.ini");
    const std::tuple<const char*, PropertyValue, PropertyValue> rows[] = {
        {"AllowEdit", false, true},
        {"AllowPrint", true, true},
        {"BackColor", std::int32_t{0xC0FFFF}, std::int32_t{0xFFFFFF}},
        {"DateValue", 37209.5, 0.0},
        {"Header", std::string("Kontakt für Hörer"), std::string("Kontakt")},
        {"Footnote", std::string(), std::string()},
    };
    {
        QtPropertyStore store(file, "Agendor1");
        for (const auto& [key, value, defaultValue] : rows) store.Write(key, value, defaultValue);
        store.Write("Font", std::shared_ptr<Font>(std::make_shared<QtFont>("Arial", 10, true)),
                    std::shared_ptr<Font>(std::make_shared<QtFont>("Arial", 8.25)));
        store.Sync();
    }
    QSettings raw(file, QSettings::IniFormat);
    EXPECT_EQ(raw.allKeys().join(' ').toStdString(), "Agendor1/AllowEdit Agendor1/BackColor Agendor1/DateValue "
                                                     "Agendor1/Font/Bold Agendor1/Font/Name Agendor1/Font/Size Agendor1/Header");

    QtPropertyStore store(file, "Agendor1");
    for (const auto& [key, value, defaultValue] : rows) EXPECT_EQ(store.Read(key, defaultValue), value) << key;
    auto font = std::get<std::shared_ptr<Font>>(store.Read("Font", std::shared_ptr<Font>()));
    ASSERT_TRUE(font);
    EXPECT_EQ(std::tuple(font->Name(), font->Size(), font->Bold()), std::tuple("Arial", 10.0, true));
    // Another control's group is separate.
    QtPropertyStore other(file, "Agendor2");
    EXPECT_EQ(std::get<bool>(other.Read("AllowEdit", true)), true);
}

// On a display the box is a real one (run under xvfb-run).
TEST(RealWindowMessageBox, ShowsACriticalBoxWithTitleAndLineBreak) {
    if (Headless()) GTEST_SKIP() << "no display: boxes go to standard error";
    QWidget window;
    testing::ShowActive(window);
    QtContainer container(&window);
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QTimer::singleShot(50, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                title = box->windowTitle();
                text = box->text();
                icon = box->icon();
                box->accept();
            }
        }
    });
    Message m{"Agendor-Fehlercode 2\r\nTabelle fehlt", "Agendor3.ocx", MessageIcon::Critical, MessageButtons::Ok};
    EXPECT_EQ(container.MessageBox(m), MessageResult::Ok);
    EXPECT_EQ(title, QStringLiteral("Agendor3.ocx"));
    EXPECT_EQ(text, QStringLiteral("Agendor-Fehlercode 2\nTabelle fehlt"));
    EXPECT_EQ(icon, QMessageBox::Critical);
}

} // namespace
} // namespace agendor::qt
