#include "dlgmessage.h"

#include "app/userprompt.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CDlgMessage::CDlgMessage(const QList<int>& freeNumbers, const MessageRec* editing, UserPrompt& prompt,
                         QWidget* parent)
    : QDialog(parent), m_prompt(prompt), m_number(new QComboBox), m_save(new QPushButton)
{
    setObjectName(QStringLiteral("CDlgMessage"));
    setWindowTitle(QStringLiteral("Message"));
    QList<int> numbers = freeNumbers;
    if (editing && !numbers.contains(editing->number)) {
        numbers << editing->number;
        std::sort(numbers.begin(), numbers.end());
    }
    for (int n : numbers)
        m_number->addItem(QString::number(n), n);
    if (editing) {
        m_number->setCurrentIndex(m_number->findData(int(editing->number)));
        m_number->setEnabled(false);
    } else {
        m_number->setCurrentIndex(numbers.isEmpty() ? -1 : 0);
    }
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Message Number"), m_number);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setBold(true);
    font.setPixelSize(24);
    for (int i = 0; i < 4; ++i) {
        m_lines[i] = new QLineEdit;
        m_lines[i]->setMaxLength(24);
        m_lines[i]->setFont(font);
        m_lines[i]->setMinimumWidth(QFontMetrics(font).horizontalAdvance(QString(25, QLatin1Char('W'))));
        if (editing)
            m_lines[i]->setText(editing->lines[i]);
        connect(m_lines[i], &QLineEdit::textEdited, this, [this] { m_save->setEnabled(true); });
        form->addRow(QStringLiteral("Line %1").arg(i + 1), m_lines[i]);
    }
    connect(m_number, &QComboBox::currentIndexChanged, this, [this] { m_save->setEnabled(true); });
    m_save->setText(editing ? QStringLiteral("Update") : QStringLiteral("Add"));
    m_save->setEnabled(false);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    connect(m_save, &QPushButton::clicked, this, &CDlgMessage::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_save);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
}

MessageRec CDlgMessage::message() const
{
    MessageRec m;
    m.number = static_cast<quint8>(m_number->currentData().toInt());
    for (int i = 0; i < 4; ++i)
        m.lines[i] = m_lines[i]->text().left(24);
    return m;
}

void CDlgMessage::accept()
{
    if (m_number->currentIndex() < 0) {
        m_prompt.inform(QStringLiteral("Please enter a number for the message!"));
        return;
    }
    bool empty = true;
    for (QLineEdit* line : m_lines)
        empty = empty && line->text().isEmpty();
    if (empty &&
        m_prompt.ask(QStringLiteral("There is no data to save, continue?"), QStringLiteral("Message"),
                     UserPrompt::Buttons::OkCancel, UserPrompt::Icon::Question) != UserPrompt::Ok)
        return;
    QDialog::accept();
}
