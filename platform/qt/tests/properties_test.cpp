// AgendorWidget's Qt properties: Qt's types for the control's values,
// NOTIFY signals from PropertyChanged, the font shared with QWidget, and
// the view kept from a form before the first sheet is built.
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "agendor/control/agendor.h"
#include "agendor/core/date_time.h"
#include "agendor/platform/qt/agendor_widget.h"
#include "agendor/platform/qt/qt_date_time.h"
#include "agendor/platform/qt/qt_font.h"
#include "agendor/platform/qt/qt_surface.h"

namespace agendor::qt {
namespace {

TEST(QtDateTime, ConvertsBothWays) {
    const std::pair<DateTime, QDateTime> cases[] = {
        {0.0, QDateTime(QDate(1899, 12, 30), QTime(0, 0))},
        // Before day zero the fraction still counts forward from midnight.
        {-1.25, QDateTime(QDate(1899, 12, 29), QTime(6, 0))},
        // 10:15 is no binary fraction; it must not come out as 10:14:59.999.
        {dt::FromYmdHms(2027, 3, 17, 10, 15, 0), QDateTime(QDate(2027, 3, 17), QTime(10, 15))},
        {dt::FromYmdHms(2001, 11, 14, 23, 59, 59.5), QDateTime(QDate(2001, 11, 14), QTime(23, 59, 59, 500))},
        {dt::FromYmd(100, 1, 1), QDateTime(QDate(100, 1, 1), QTime(0, 0))},
        {dt::FromYmd(9999, 12, 31), QDateTime(QDate(9999, 12, 31), QTime(0, 0))}};
    for (const auto& [value, expected] : cases) {
        SCOPED_TRACE(value);
        EXPECT_EQ(ToQDateTime(value), expected);
        EXPECT_NEAR(FromQDateTime(expected), value, 1e-9);
        EXPECT_EQ(ToQDate(value), expected.date());
        EXPECT_EQ(FromQDate(expected.date()), dt::DateOnly(value));
    }
}

TEST(QtDateTime, ReadsTheWallClockOfAnyTimeSpecAndRefusesWhatIsNoDate) {
    const QDateTime utc(QDate(2027, 3, 28), QTime(2, 30), Qt::UTC);  // an hour Berlin skips
    EXPECT_NEAR(FromQDateTime(utc), dt::FromYmdHms(2027, 3, 28, 2, 30, 0), 1e-9);
    EXPECT_THROW(FromQDateTime(QDateTime()), Error);
    EXPECT_THROW(FromQDate(QDate()), Error);
    EXPECT_THROW(FromQDate(QDate(99, 12, 31)), Error);
    EXPECT_THROW(ToQDateTime(std::nan("")), Error);
}

class PropertiesTest : public ::testing::Test {
protected:
    PropertiesTest() {
        widget.surface().container.SetAnswerer([this](const Message& m) {
            boxes.push_back(m.text);
            return MessageResult::Ok;
        });
        widget.resize(700, 560);
    }
    bool SheetBuilt() { return widget.surface().lblMonat->Caption() != "Monat Jahr"; }

    AgendorWidget widget;
    std::vector<std::string> boxes;
};

TEST_F(PropertiesTest, QtTypesReachTheControlAndEachChangeNotifiesItsProperty) {
    QSignalSpy colour(&widget, &AgendorWidget::BackColorSelChanged);
    QSignalSpy header(&widget, &AgendorWidget::HeaderChanged);
    EXPECT_TRUE(widget.setProperty("BackColorSel", QColor(255, 0, 0)));
    EXPECT_EQ(widget.control().BackColorSel(), 0x0000FFu);  // red in the low byte
    EXPECT_EQ(widget.property("BackColorSel").value<QColor>(), QColor(255, 0, 0));
    EXPECT_EQ(colour.count(), 1);
    EXPECT_EQ(header.count(), 0);

    widget.setProperty("Header", QStringLiteral("Zimmer Ä"));
    EXPECT_EQ(widget.control().Header(), "Zimmer Ä");
    EXPECT_EQ(header.count(), 1);

    widget.setProperty("DateValue", QDate(2027, 3, 17));
    EXPECT_EQ(widget.control().DateValue(), dt::FromYmd(2027, 3, 17));
    EXPECT_EQ(widget.property("DateValue").toDate(), QDate(2027, 3, 17));
    // The control's own setters notify the same signals.
    QSignalSpy footnote(&widget, &AgendorWidget::FootnoteChanged);
    widget.control().SetFootnote("Praxis");
    EXPECT_EQ(footnote.count(), 1);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(PropertiesTest, TheWidgetsFontIsTheControlsFont) {
    QSignalSpy font(&widget, &AgendorWidget::FontChanged);
    QSignalSpy size(&widget, &AgendorWidget::FontsizeChanged);
    QFont f = widget.font();
    f.setPointSize(14);
    widget.setFont(f);
    EXPECT_EQ(widget.control().Fontsize(), 14);
    EXPECT_EQ(widget.Font().pointSize(), 14);
    EXPECT_EQ(font.count(), 1);
    EXPECT_EQ(size.count(), 1);

    widget.setFontsize(9);
    EXPECT_EQ(widget.font().pointSize(), 9);
    EXPECT_EQ(widget.property("Fontsize").toInt(), 9);
    // A font object the host hands over stays the control's Font, though
    // the widget's font follows it.
    const auto own = std::make_shared<QtFont>("Arial", 12);
    widget.control().SetFont(own);
    EXPECT_EQ(widget.control().Font(), own);
    EXPECT_EQ(widget.font().pointSize(), 12);

    // Out of the control's 16-bit range: refused with its box.
    widget.setFontsize(40000);
    EXPECT_EQ(widget.Fontsize(), 12);
    ASSERT_EQ(boxes.size(), 1u);
}

TEST_F(PropertiesTest, ViewWaitsForTheFirstSheetThenRebuildsIt) {
    QSignalSpy view(&widget, &AgendorWidget::ViewChanged);
    widget.setView(AgendorWidget::agWoche);
    EXPECT_EQ(widget.control().View(), agWoche);
    EXPECT_TRUE(widget.surface().Toolbar2->Button(agWoche).pressed);
    EXPECT_EQ(view.count(), 1);
    EXPECT_FALSE(SheetBuilt());
    EXPECT_TRUE(boxes.empty());

    // Once a sheet is shown, View rebuilds it (and asks for what is missing).
    widget.SetDesignMode(true);
    EXPECT_TRUE(SheetBuilt());
    widget.SetDesignMode(false);
    widget.setView(AgendorWidget::agMonat);
    EXPECT_EQ(widget.control().View(), agMonat);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Set Property <DataSourcePerson> first!");

    // A view without a toolbar button is refused and changes nothing.
    boxes.clear();
    widget.setProperty("View", 7);
    EXPECT_EQ(widget.View(), AgendorWidget::agMonat);
    EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(PropertiesTest, DesignModeShowsTheSheetOverNoDatabaseAndFollowsEachChange) {
    widget.setDataSourceDates("Termine");
    widget.setFieldDatesDateID("TerminID");
    widget.setDateValue(QDate(2027, 2, 10));
    widget.SetDesignMode(true);
    EXPECT_TRUE(widget.DesignMode());
    EXPECT_EQ(widget.surface().lblMonat->Caption(), "Februar 2027");
    widget.setDateValue(QDate(2027, 5, 1));
    EXPECT_EQ(widget.surface().lblMonat->Caption(), "Mai 2027");
    EXPECT_TRUE(boxes.empty());
    widget.SetDesignMode(false);
    EXPECT_FALSE(widget.DesignMode());
    EXPECT_EQ(widget.control().Database(), nullptr);
}

} // namespace
} // namespace agendor::qt
