#include "dlgdrawrequest.h"

#include "framework/headerpanel.h"
#include "setup/drawsession.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

CDlgDrawRequest::CDlgDrawRequest(const QVector<Choice>& contestants, const QVector<Choice>& events,
                                 int goRounds, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Draw Request"));
    auto* header =
        new HeaderPanel(QStringLiteral("Draw Request"),
                        QStringLiteral("What the draw honours first, for one go-round or all."), this);
    m_kind = new QComboBox(this);
    m_kind->setObjectName(QStringLiteral("kind"));
    m_kind->addItem(QStringLiteral("Up in a performance"), int(DrawRequestRec::Kind::Up));
    m_kind->addItem(QStringLiteral("Out of a performance"), int(DrawRequestRec::Kind::Out));
    m_kind->addItem(QStringLiteral("Buddies in one performance"), int(DrawRequestRec::Kind::Buddies));
    m_kind->addItem(QStringLiteral("Two events in one performance allowed"),
                    int(DrawRequestRec::Kind::SamePerformance));
    m_goRound = new QComboBox(this);
    m_goRound->setObjectName(QStringLiteral("goRound"));
    m_goRound->addItem(QStringLiteral("Every go-round"), 0);
    for (int g = 1; g <= goRounds; ++g)
        m_goRound->addItem(QStringLiteral("Go Round %1").arg(g), g);
    m_perf = new QSpinBox(this);
    m_perf->setObjectName(QStringLiteral("performance"));
    m_perf->setRange(1, 255);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Request:"), m_kind);
    form->addRow(QStringLiteral("Go-round:"), m_goRound);
    form->addRow(QStringLiteral("Performance:"), m_perf);
    auto* members = new QGridLayout;
    members->addWidget(new QLabel(QStringLiteral("Contestant"), this), 0, 0);
    members->addWidget(new QLabel(QStringLiteral("Event"), this), 0, 1);
    for (int i = 0; i < 4; ++i) {
        m_people[i] = new QComboBox(this);
        m_people[i]->setObjectName(QStringLiteral("contestant%1").arg(i + 1));
        m_people[i]->addItem(QString(), 0u);
        for (const Choice& c : contestants)
            m_people[i]->addItem(c.text, c.value);
        m_people[i]->setMinimumContentsLength(24);
        m_events[i] = new QComboBox(this);
        m_events[i]->setObjectName(QStringLiteral("event%1").arg(i + 1));
        m_events[i]->addItem(QStringLiteral("Every event"), QString());
        for (const Choice& e : events)
            m_events[i]->addItem(e.text, e.value);
        members->addWidget(m_people[i], i + 1, 0);
        members->addWidget(m_events[i], i + 1, 1);
    }
    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("problem"));
    m_problem->setStyleSheet(QStringLiteral("color: #a00000"));

    auto* content = new QVBoxLayout;
    content->addLayout(form);
    content->addLayout(members);
    content->addWidget(m_problem);
    content->addStretch(1);
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("ok"));
    m_ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);
    buttons->addStretch(1);
    header->arrangeWithButtonColumn(this, content, buttons);

    connect(m_kind, &QComboBox::currentIndexChanged, this, &CDlgDrawRequest::kindChanged);
    connect(m_ok, &QPushButton::clicked, this, &CDlgDrawRequest::tryAccept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    kindChanged();
}

void CDlgDrawRequest::kindChanged()
{
    const auto kind = DrawRequestRec::Kind(m_kind->currentData().toInt());
    const bool buddies = kind == DrawRequestRec::Kind::Buddies;
    m_perf->setEnabled(kind == DrawRequestRec::Kind::Up || kind == DrawRequestRec::Kind::Out);
    for (int i = 1; i < 4; ++i) {
        m_people[i]->setEnabled(buddies);
        m_events[i]->setEnabled(buddies);
    }
    m_problem->clear();
}

DrawRequestRec CDlgDrawRequest::request() const
{
    DrawRequestRec r;
    r.kind = DrawRequestRec::Kind(m_kind->currentData().toInt());
    r.goRound = m_goRound->currentData().toInt();
    r.perf = m_perf->isEnabled() ? m_perf->value() : 0;
    const int count = r.kind == DrawRequestRec::Kind::Buddies ? 4 : 1;
    for (int i = 0; i < count; ++i) {
        const quint32 id = m_people[i]->currentData().toUInt();
        // Empty buddy rows are not members; the first row always is.
        if (id != 0 || i == 0)
            r.members.append({id, m_events[i]->currentData().toString()});
    }
    return r;
}

void CDlgDrawRequest::tryAccept()
{
    const QString problem = DrawSession::check(request());
    m_problem->setText(problem);
    if (problem.isEmpty())
        accept();
}
