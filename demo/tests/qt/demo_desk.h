#pragma once
// The demo window on a sample SQLite file of 2027 as the demo's Qt tests
// drive it, as a person does: keys to the widget that has the focus, clicks
// through the window, every box answered and kept, and what is stored read
// back from the file by a connection of its own.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

#include "agendor/control/agendor.h"
#include "agendor/core/date_time.h"
#include "agendor/platform/qt/agendor_widget.h"
#include "agendor/platform/qt/qt_host.h"
#include "agendor/platform/qt/qt_surface.h"
#include "agendor/platform/qt/tests/qt_sqlite_file.h"
#include "agendor/platform/qt/tests/qt_test_support.h"
#include "agendor/platform/sqlite/sample_database.h"
#include "agendor/sheet/sheet_model.h"
#include "demo/demo_window.h"

namespace agendor::demo::testing {

using qt::testing::DeliverPosted;

// A date-time value as SQL text, to the second.
inline std::string Literal(DateTime value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.10f", value);
    return text;
}

// The appointments at path as "dd.mm.yyyy hh:nn" and the values of columns
// (" NULL" for none), in the order of time.
inline std::vector<std::string> Stored(const std::string& path, const std::string& columns = "Name, PersonID",
                                       const std::string& where = "") {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* s = nullptr;
    const std::string sql = "SELECT Datum" + (columns.empty() ? "" : ", " + columns) + " FROM Termine" + where;
    EXPECT_EQ(sqlite3_prepare_v2(db, (sql + " ORDER BY Datum, TerminID").c_str(), -1, &s, nullptr), SQLITE_OK) << sql;
    std::vector<std::string> rows;
    while (sqlite3_step(s) == SQLITE_ROW) {
        std::string row = dt::Format(sqlite3_column_double(s, 0), "dd.mm.yyyy hh:nn", DefaultLocale());
        for (int c = 1; c < sqlite3_column_count(s); ++c)
            row += sqlite3_column_type(s, c) == SQLITE_NULL
                       ? std::string(" NULL")
                       : " " + std::string(reinterpret_cast<const char*>(sqlite3_column_text(s, c)));
        rows.push_back(row);
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
    return rows;
}

// The rows of a day grid, "hh:nn Name\n" each.
inline std::string DayGridRows(qt::QtSurface& ui) {
    std::string text;
    for (int r = 1; r < ui.GridZoom->Rows(); ++r)
        text += ui.GridZoom->TextMatrix(r, 0) + " " + ui.GridZoom->TextMatrix(r, 1) + "\n";
    return text;
}

inline void Screenshot(QWidget& w, const QString& name) {
    DeliverPosted();
    QDir().mkpath(QStringLiteral(AGENDOR_DEMO_TEST_OUTPUT));
    w.grab().save(QStringLiteral(AGENDOR_DEMO_TEST_OUTPUT "/") + name + ".png");
}

// A sample file of 2027 with four persons and no appointments, sql run on it.
struct SampleFile {
    void Create(const std::string& sql = "") {
        properties = sqlite::CreateSampleDatabase(
            path, {.persons = 4, .appointments = 0, .fromYear = 2027, .toYear = 2027, .replaceExisting = true});
        if (!sql.empty()) qt::testing::ExecOnFile(path, sql);
    }
    QTemporaryDir dir;
    std::string path = dir.filePath("termine.sqlite").toStdString();
    sqlite::DataProperties properties;
};

// Every box answered as a person answers (Yes, else OK) and its text kept:
// on a display by a timer, without one from the line "Agendor: " and the
// text that Capture finds on standard error.
class Boxes {
public:
    Boxes() {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            texts.push_back(box->text().toStdString());
            QAbstractButton* yes = box->button(QMessageBox::Yes);
            QAbstractButton* ok = box->button(QMessageBox::Ok);
            if (yes || ok) (yes ? yes : ok)->click();
        });
        timer_.start();
    }
    template <typename Act>
    void Capture(Act act) {
        ::testing::internal::CaptureStderr();
        act();
        // A text may hold line breaks of its own.
        const std::string written = "\n" + ::testing::internal::GetCapturedStderr();
        const std::string mark = "\nAgendor: ";
        for (std::size_t at = written.find(mark); at != std::string::npos;) {
            const std::size_t next = written.find(mark, at + 1);
            std::string text = written.substr(at + mark.size(), next - at - mark.size());
            if (!text.empty() && text.back() == '\n') text.pop_back();
            texts.push_back(text);
            at = next;
        }
    }
    // Compares the texts so far with expected, and forgets them.
    void Expect(const std::vector<std::string>& expected) {
        EXPECT_EQ(texts, expected);
        texts.clear();
    }
    std::vector<std::string> texts;

private:
    QTimer timer_;
};

// One demo window on a file, showing the month of a day.
class Desk {
public:
    void Show(const SampleFile& file, DateTime day, QSize size = {900, 680}, QPoint at = {}) {
        window = std::make_unique<DemoWindow>(file.path, file.properties);
        window->resize(size);
        window->move(at);
        qt::testing::ShowActive(*window);
        window->calendar().control().SetDateValue(day);
        window->calendar().control().SetView(agMonat);
        DeliverPosted();
    }

    qt::QtSurface& ui() { return window->calendar().surface(); }
    Agendor& control() { return window->calendar().control(); }
    qt::QtFlexGrid& Sheet() { return *ui().Grid; }
    qt::QtFlexGrid& Zoom() { return *ui().GridZoom; }
    qt::QtMaskedEdit& Clock() { return *ui().txtClock; }
    qt::QtComboBox& Person() { return *ui().cboPerson; }
    bool SaveOn() { return ui().Toolbar1->Button(3).enabled; }
    std::string DayGrid() { return DayGridRows(ui()); }

    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
        DeliverPosted();
    }
    void Type(const char* text) {
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        QTest::keyClicks(QApplication::focusWidget(), QString::fromUtf8(text));
        DeliverPosted();
    }

    // Where a widget's point lies in the window, and a click there as the
    // window system delivers it, so that it meets what the window does
    // before the widget under the mouse sees it.
    QPoint InWindow(QWidget* w, QPoint at) { return w->mapTo(window.get(), at); }
    QRect InWindow(QWidget* w, QRect r) { return r.translated(InWindow(w, QPoint())); }
    void Click(QWidget* w, QPoint at) {
        window->activateWindow();
        QApplication::setActiveWindow(window.get());
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, InWindow(w, at));
        DeliverPosted();
    }
    void ClickButton(int index) {
        QWidget* button = ui().Toolbar1->ButtonWidget(index);
        Click(button, button->rect().center());
    }
    void ClickZoomCell(int row, int col) { Click(Zoom().viewport(), Zoom().CellRect(row, col).center()); }

    QPoint SheetCentre(DateTime day) {
        const SheetCell cell = MonthCellOf(day);
        return Sheet().CellRect(cell.row, cell.col).center();
    }
    std::string SheetText(DateTime day) {
        const SheetCell cell = MonthCellOf(day);
        return Sheet().TextMatrix(cell.row, cell.col);
    }
    void OpenDay(DateTime day) {
        qt::testing::DoubleClick(Sheet().viewport(), SheetCentre(day));
        DeliverPosted();
        ASSERT_TRUE(Zoom().isVisible());
    }
    // Add, a time typed, Tab (or Enter): the person box has the focus.
    void AddAt(const char* time, Qt::Key key = Qt::Key_Tab) {
        ClickButton(2);
        ASSERT_EQ(QApplication::focusWidget(), &Clock());
        Type(time);
        Key(key);
        ASSERT_EQ(QApplication::focusWidget(), &Person());
    }
    // The sheet is refreshed once more shortly after the person box lost the
    // focus; a person is slower than that, and so is the test, however
    // loaded the machine is.
    void WaitForDeferredRefresh() {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !ui().Timer1->Enabled(); }, 5000));
        DeliverPosted();
    }
    void Screenshot(const QString& name) { testing::Screenshot(*window, name); }

    // The time editor lies exactly over the cell of the day grid, in sight,
    // and the person box beside it.
    void ExpectEditorOver(int row) {
        const QRect cell = InWindow(Zoom().viewport(), Zoom().CellRect(row, 0));
        const QRect clock = InWindow(&Clock(), Clock().rect());
        EXPECT_TRUE(InWindow(Zoom().viewport(), Zoom().viewport()->rect()).contains(cell)) << row;
        EXPECT_LE((clock.topLeft() - cell.topLeft()).manhattanLength(), 1) << row;
        EXPECT_LE(std::abs(clock.width() - cell.width()), 1);
        EXPECT_LE(std::abs(clock.height() - cell.height()), 1);
        if (Person().isVisible()) {
            EXPECT_LE(std::abs(InWindow(&Person(), QPoint()).y() - cell.top()), 1);
        }
    }

    std::unique_ptr<DemoWindow> window;
};

// One desk on a sample file of its own.
class DemoTest : public ::testing::Test, public Desk {
protected:
    // The window on a new sample file with sql run on it.
    void Open(DateTime day, const std::string& sql = "", QSize size = {900, 680}) {
        window.reset();
        file.Create(sql);
        Show(file, day, size);
    }
    // A box nobody expected fails the test, also where the timer answered it.
    void TearDown() override {
        window.reset();
        EXPECT_EQ(boxes.texts, std::vector<std::string>{});
    }
    std::vector<std::string> Stored(const std::string& columns = "Name, PersonID", const std::string& where = "") {
        return testing::Stored(file.path, columns, where);
    }

    SampleFile file;
    Boxes boxes;
};

} // namespace agendor::demo::testing
