#pragma once
// The host side of the control on Qt: message boxes, change notifications,
// the ambient font, text metrics with the screen's DPI, and a property
// store kept in an INI file.
#include <QSettings>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

#include "agendor/platform/host.h"
#include "agendor/qt_export.h"

namespace agendor::qt {

class AGENDOR_QT_EXPORT QtContainer final : public Container {
public:
    // owner: the control's widget; message boxes are modal to its window.
    explicit QtContainer(QWidget* owner);

    void PropertyChanged(const std::string& name) override;
    // ShowMessage with the owner's window; an empty title shows "Agendor3".
    // With an answerer set, it answers instead.
    MessageResult MessageBox(const Message& message) override;
    // One font object per container, taken from the owner's font when first
    // asked for.
    std::shared_ptr<Font> AmbientFont() override;
    bool UserMode() const override { return userMode_; }

    void SetUserMode(bool userMode) { userMode_ = userMode; }
    void SetPropertyChanged(std::function<void(const std::string&)> f) { propertyChanged_ = std::move(f); }
    // Answers message boxes without showing them (tests, headless runs).
    void SetAnswerer(std::function<MessageResult(const Message&)> f) { answerer_ = std::move(f); }

private:
    QWidget* owner_;
    bool userMode_ = true;
    std::shared_ptr<Font> ambient_;
    std::function<void(const std::string&)> propertyChanged_;
    std::function<MessageResult(const Message&)> answerer_;
};

// How many boxes with the critical icon were shown (or, without a display,
// written) in this process: a run without a person ends with an error then.
AGENDOR_QT_EXPORT int CriticalBoxesShown();
// True when no person can see a window: Qt draws off screen or nowhere.
AGENDOR_QT_EXPORT bool Headless();
// A modal message box, owned by owner's window. Without a display it is
// written to standard error as "title: text" and takes its default answer
// (the first button: Ok or Yes) at once, so nothing waits for a person.
AGENDOR_QT_EXPORT MessageResult ShowMessage(QWidget* owner, const Message& message);

// Measures with QFontMetricsF at the reference widget's logical DPI, the
// same metrics the grid paints with: a text's width is its widest line, its
// height one font height per line.
class AGENDOR_QT_EXPORT QtTextMetrics final : public TextMetrics {
public:
    explicit QtTextMetrics(const QWidget* reference) : reference_(reference) {}
    Twips TextWidth(const Font& font, const std::string& text) const override;
    Twips TextHeight(const Font& font, const std::string& text) const override;
    Twips TwipsPerPixelX() const override;
    Twips TwipsPerPixelY() const override;

private:
    const QWidget* reference_;
};

// Properties in an INI file, one group per control. Values are written
// with their type (booleans, 32-bit integers, doubles, texts, fonts as name,
// size and weight); a value equal to its default removes the key.
class AGENDOR_QT_EXPORT QtPropertyStore final : public PropertyStore {
public:
    QtPropertyStore(const QString& fileName, const QString& group);
    PropertyValue Read(const std::string& key, const PropertyValue& defaultValue) override;
    void Write(const std::string& key, const PropertyValue& value, const PropertyValue& defaultValue) override;
    // Writes pending changes to the file; raises Error when it cannot.
    void Sync();

private:
    QString Key(const std::string& key) const;
    QSettings settings_;
    QString group_;
};

} // namespace agendor::qt
