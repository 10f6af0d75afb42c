#include "dlgdisplyprofrtdoptions.h"

#include "app/textnumber.h"
#include "framework/headerpanel.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

const QString kContinuous = QStringLiteral("Continuous");
const QString kSingleStep = QStringLiteral("Single Step");
const QString kSelectedFrame = QStringLiteral("Selected Frame");
const QString kTimes = QStringLiteral("# Times");

QSpinBox* numberField(QWidget* parent, const char* name, int low, int high, const QString& value)
{
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(QString::fromLatin1(name));
    spin->setRange(low, high);
    spin->setValue(qBound(low, leadingInt(value), high));
    return spin;
}

} // namespace

CDlgDisplyProfRTDOptions::CDlgDisplyProfRTDOptions(const ProfileAction& action, QWidget* parent)
    : QDialog(parent), m_given(action)
{
    setWindowTitle(QStringLiteral("RTD Action Configuration"));
    auto* header = new HeaderPanel(
        QStringLiteral("RTD Action Configuration"),
        QStringLiteral("This dialog will allow you to set the action to take when the button is pressed."),
        this);
    header->setObjectName(QStringLiteral("header"));

    m_sign = numberField(this, "sign", 1, 99, action.sign);
    m_mode = new QComboBox(this);
    m_mode->setObjectName(QStringLiteral("mode"));
    m_mode->addItems({kContinuous, kSelectedFrame});
    // Modes the dialog does not offer are still shown as they are.
    switch (leadingInt(action.mode)) {
    case 1:
        m_mode->addItem(kSingleStep);
        m_mode->setCurrentText(kSingleStep);
        break;
    case 2:
        m_mode->setCurrentText(kSelectedFrame);
        break;
    case 3:
        m_mode->addItem(kTimes);
        m_mode->setCurrentText(kTimes);
        break;
    default:
        m_mode->setCurrentText(kContinuous);
        break;
    }
    m_frame = numberField(this, "frame", 1, 99, action.frame);
    m_drive = new QComboBox(this);
    m_drive->setObjectName(QStringLiteral("drive"));
    m_drive->addItem(QStringLiteral(" "));
    for (char c = 'A'; c <= 'Z'; ++c)
        m_drive->addItem(QString(QLatin1Char(c)));
    const QString drive = action.drive.isEmpty() ? QStringLiteral(" ") : action.drive;
    if (m_drive->findText(drive, Qt::MatchFixedString | Qt::MatchCaseSensitive) < 0)
        m_drive->addItem(drive);
    m_drive->setCurrentText(drive);
    m_library = new QLineEdit(action.library, this);
    m_library->setObjectName(QStringLiteral("library"));
    m_sequence = new QLineEdit(action.sequence, this);
    m_sequence->setObjectName(QStringLiteral("sequence"));
    m_message = numberField(this, "message", 0, 99, action.message);

    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->addRow(QStringLiteral("&Sign Number:"), m_sign);
    form->addRow(QStringLiteral("Display &Mode:"), m_mode);
    form->addRow(QStringLiteral("&Frame Number:"), m_frame);
    form->addRow(QStringLiteral("&Driver Letter:"), m_drive);
    form->addRow(QStringLiteral("&Library:"), m_library);
    form->addRow(QStringLiteral("S&equence:"), m_sequence);
    form->addRow(QStringLiteral("Contestant Message &Number:"), m_message);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    cancel->setAutoDefault(false);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch(1);
    header->arrangeWithButtonColumn(this, form, buttons);

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_mode, &QComboBox::currentTextChanged, this, &CDlgDisplyProfRTDOptions::updateEnabling);
    updateEnabling();
    m_shown = values();
    m_sign->setFocus();
}

bool CDlgDisplyProfRTDOptions::showsFrame(const QString& modeText)
{
    return modeText == kSelectedFrame;
}

QString CDlgDisplyProfRTDOptions::modeNumber(const QString& modeText)
{
    if (modeText == kSelectedFrame)
        return QStringLiteral("2");
    if (modeText == kSingleStep)
        return QStringLiteral("1");
    if (modeText == kTimes)
        return QStringLiteral("3");
    return QStringLiteral("0");
}

void CDlgDisplyProfRTDOptions::updateEnabling()
{
    const bool frame = showsFrame(m_mode->currentText());
    m_frame->setEnabled(frame);
    m_drive->setEnabled(!frame);
    m_library->setEnabled(!frame);
    m_sequence->setEnabled(!frame);
}

ProfileAction CDlgDisplyProfRTDOptions::values() const
{
    ProfileAction a = m_given;
    a.sign = QString::number(m_sign->value());
    a.mode = modeNumber(m_mode->currentText());
    a.frame = QString::number(m_frame->value());
    a.drive = m_drive->currentText();
    a.library = m_library->text();
    a.sequence = m_sequence->text();
    a.message = QString::number(m_message->value());
    return a;
}
