// The logic of the options, shared by the main window's options page and the
// stand-alone options window: record to controls, controls to record with the
// side effects, the category tree and its frames.
#pragma once

#include "ui/dialogs/OptionsFrames.h"

#include <QObject>
#include <QString>
#include <functional>

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

class OptionsController : public QObject {
    Q_OBJECT
public:
    struct Front {
        QTreeWidget* tree = nullptr;
        QLabel* title = nullptr;
        QString titlePrefix;               // put before every title
        QLabel* noOptions = nullptr;       // seen when no frame is (may be null)
        std::function<QWidget*()> owner;   // owner of the modal dialogs
    };
    OptionsController(Front front, OptionsControls controls, QObject* parent);

    // Adds the fourteen category nodes once; later calls leave the tree alone.
    void LoadOptionsTree();
    void LoadOptions();
    void SaveOptions();
    // Shows the key's frame (or none) and its title; selects its node without
    // running again.
    void ShowOptions(const QString& key);

    void ChangeHotKey(int index);
    void AddFolder();
    void RemoveFolder();
    // Asks, then saves the page, loads the factory settings and shows them.
    void LoadDefaults();

    const OptionsControls& Controls() const { return c_; }

private:
    void OnNodeChosen(QTreeWidgetItem* item);
    void AskLibraryActionAndSync();

    Front front_;
    OptionsControls c_;
};
