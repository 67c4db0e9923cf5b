#include "ui/dialogs/frmOptions.h"

#include "ui/dialogs/OptionsController.h"
#include "ui/dialogs/TwipsGeometry.h"
#include "ui/main/OtherWindows.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>

namespace {

QPointer<frmOptions> openWindow;

} // namespace

frmOptions::frmOptions(QWidget* owner)
    : QDialog(owner, FixedDialogFlags)
{
    openWindow = this;
    setObjectName(QStringLiteral("frmOptions"));
    setFont(FormFont());
    setWindowTitle(QStringLiteral("Optionen"));
    SizeTwips(this, 10095, 7095);

    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    PlaceTwips(TreeView1, 120, 120, 2295, 6255);

    lblTitle = new QLabel(QStringLiteral("Sarovin-Optionen Übersicht"), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setFont(OptionsTitleFont());
    lblTitle->setAlignment(Qt::AlignCenter);
    PlaceTwips(lblTitle, 2520, 120, 7215, 375);

    // Lies under the frames: seen only when none is shown.
    Label4 = new QLabel(QStringLiteral("Für diese Kategorie sind keine Optionen verfügbar. Bitte wählen Sie eine "
                                       "andere Kategorie."),
                        this);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setAlignment(Qt::AlignCenter);
    Label4->setWordWrap(true);
    PlaceTwips(Label4, 2520, 3000, 7215, 615);

    OptionsControls controls = BuildOptionFrames(this, QStringLiteral("fr"), 2520, 600);

    const auto button = [this](const char* name, const QString& text, int left, int width) {
        return PlaceButton(this, text, name, left, 6600, width, 375);
    };
    comDefault = button("comDefault", QStringLiteral("Werkseinstellungen laden"), 120, 2295);
    Command3 = button("Command3", QStringLiteral("&OK"), 5160, 1455);
    Command2 = button("Command2", QStringLiteral("&Abbrechen"), 6720, 1455);
    Command1 = button("Command1", QStringLiteral("&Übernehmen"), 8280, 1455);
    Command3->setDefault(true);

    OptionsController::Front front;
    front.tree = TreeView1;
    front.title = lblTitle;
    front.noOptions = Label4;
    front.owner = [this] { return static_cast<QWidget*>(this); };
    controller_ = new OptionsController(std::move(front), std::move(controls), this);

    connect(comDefault, &QPushButton::clicked, controller_, &OptionsController::LoadDefaults);
    connect(Command1, &QPushButton::clicked, controller_, &OptionsController::SaveOptions);
    connect(Command3, &QPushButton::clicked, this, [this] {
        controller_->SaveOptions();
        accept();
    });
    connect(Command2, &QPushButton::clicked, this, &QDialog::reject);

    ShowOption(QStringLiteral("Main"));
    controller_->LoadOptionsTree();
    controller_->LoadOptions();
}

frmOptions::~frmOptions() = default;

void frmOptions::ShowOption(const QString& key)
{
    controller_->ShowOptions(key);
}

void UnloadOptionsWindow()
{
    delete openWindow.data();
}
