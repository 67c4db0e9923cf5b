#include "ui/dialogs/DialogParts.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

QGroupBox* MakeInfoFrame(const QString& text, QWidget* styleSource)
{
    auto* frame = new QGroupBox(QStringLiteral("Info"));
    auto* layout = new QHBoxLayout(frame);
    auto* icon = new QLabel;
    icon->setPixmap(styleSource->style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);
    layout->addWidget(icon);
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    layout->addWidget(label, 1);
    return frame;
}

QPushButton* MakeButton(const QString& text, const char* objectName)
{
    auto* b = new QPushButton(text);
    b->setObjectName(QLatin1String(objectName));
    b->setAutoDefault(false);
    return b;
}

QLabel* MakeBoldLabel(const QString& text)
{
    auto* label = new QLabel(text);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}
