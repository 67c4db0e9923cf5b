#include "ui/dialogs/OptionsPage.h"

#include "ui/dialogs/OptionsController.h"
#include "ui/dialogs/OptionsHost.h"
#include "ui/dialogs/TwipsGeometry.h"
#include "ui/main/OtherWindows.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QKeyEvent>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

OptionsHost* host = nullptr;
QPointer<OptionsPage> page;

} // namespace

void SetOptionsHost(OptionsHost* newHost)
{
    host = newHost;
}

OptionsHost* CurrentOptionsHost()
{
    return host;
}

OptionsPage::OptionsPage(QWidget* frOptions) : QWidget(frOptions)
{
    setObjectName(QStringLiteral("OptionsPage"));
    setFont(FormFont());
    lblOptTitle = new QLabel(QStringLiteral("Einstellungen - "), this);
    lblOptTitle->setObjectName(QStringLiteral("lblOptTitle"));
    lblOptTitle->setFont(OptionsTitleFont());
    PlaceTwips(lblOptTitle, 120, 120, 9615, 375);

    trvOptionsTree = new QTreeWidget(this);
    trvOptionsTree->setObjectName(QStringLiteral("trvOptionsTree"));
    trvOptionsTree->setHeaderHidden(true);
    PlaceTwips(trvOptionsTree, 120, 600, 2295, 5775);

    OptionsControls controls = BuildOptionFrames(this, QStringLiteral("frOpt"), 2520, 600);

    const auto button = [this](const char* name, const QString& text, int left, int width) {
        return PlaceButton(this, text, name, left, 6480, width, 375);
    };
    comDefault = button("comDefault", QStringLiteral("Werkseinstellungen laden"), 120, 2295);
    Command2 = button("Command2", QStringLiteral("&Zurücksetzen"), 2520, 1455);
    Command1 = button("Command1", QStringLiteral("&Übernehmen"), 4080, 1455);

    OptionsController::Front front;
    front.tree = trvOptionsTree;
    front.title = lblOptTitle;
    front.titlePrefix = QStringLiteral("Einstellungen - ");
    front.owner = [] { return host ? host->DialogOwner() : nullptr; };
    controller_ = new OptionsController(std::move(front), std::move(controls), this);

    connect(comDefault, &QPushButton::clicked, controller_, &OptionsController::LoadDefaults);
    connect(Command1, &QPushButton::clicked, controller_, &OptionsController::SaveOptions);
    connect(Command2, &QPushButton::clicked, controller_, &OptionsController::LoadOptions);

    if (frOptions) {
        if (!frOptions->layout()) {
            auto* layout = new QVBoxLayout(frOptions);
            layout->setContentsMargins(0, 0, 0, 0);
        }
        frOptions->layout()->addWidget(this);
    }
    show();  // with its pane
}

void OptionsPage::keyPressEvent(QKeyEvent* event)
{
    // Esc anywhere on the page that no control takes is the revert button.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        Command2->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

OptionsPage* CurrentOptionsPage()
{
    if (!page && host) {
        if (QWidget* frame = host->OptionsPageFrame()) page = new OptionsPage(frame);
    }
    return page;
}

void LoadOptionsTree()
{
    if (OptionsPage* p = CurrentOptionsPage()) p->Controller().LoadOptionsTree();
}

void LoadOptions()
{
    if (OptionsPage* p = CurrentOptionsPage()) p->Controller().LoadOptions();
}

void ShowOptions(const QString& key)
{
    if (OptionsPage* p = CurrentOptionsPage()) p->Controller().ShowOptions(key);
}
