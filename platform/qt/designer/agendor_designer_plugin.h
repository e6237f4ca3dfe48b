#pragma once
// The control in Qt Designer: the widget box offers it under "Agendor", a
// form shows it with the sheet of today's month, and its properties are
// set in the property editor and kept in the .ui file.
#include <QObject>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

namespace agendor::qt {

class AgendorDesignerPlugin final : public QObject, public QDesignerCustomWidgetInterface {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetInterface")
    Q_INTERFACES(QDesignerCustomWidgetInterface)

public:
    explicit AgendorDesignerPlugin(QObject* parent = nullptr);

    QString name() const override;
    QString group() const override;
    QString toolTip() const override;
    QString whatsThis() const override;
    QString includeFile() const override;
    QIcon icon() const override;
    bool isContainer() const override;
    QWidget* createWidget(QWidget* parent) override;
    bool isInitialized() const override;
    void initialize(QDesignerFormEditorInterface* core) override;
    QString domXml() const override;

private:
    bool initialized_ = false;
};

} // namespace agendor::qt
