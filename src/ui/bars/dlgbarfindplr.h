#pragma once

#include <QWidget>
#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// What the Find bar searches and where its "Add" goes: the list that owns it.
// The bar's three fields stand for three columns of the owner's rows.
class FindBarOwner
{
public:
    virtual ~FindBarOwner() = default;
    virtual int findRowCount() const = 0;
    // The text of the row in the column that field 0, 1 or 2 stands for.
    virtual QString findText(int row, int field) const = 0;
    // Selects the row found and scrolls it into view.
    virtual void showFound(int row) = 0;
    // "Add" with the three texts as typed.
    virtual void addFound(const QString& first, const QString& second, const QString& third) = 0;
};

// The Find bar: three fields ("Bib:", "First Name:", "Last Name:" unless the
// owner labels them otherwise) and "Add". Each change selects the owner's first
// row whose three texts start with what is typed (an empty field matches
// anything; characters compare exactly, case included). "Add" hands the three
// texts to the owner. User-interface thread only.
class CDlgBarFindPlr : public QWidget
{
    Q_OBJECT
public:
    explicit CDlgBarFindPlr(QWidget* parent = nullptr);

    void setOwner(FindBarOwner* owner) { m_owner = owner; }
    void setLabels(const QString& first, const QString& second, const QString& third);
    void setLimits(int first, int second, int third);
    void setAddShown(bool shown);
    // Empties the three fields without searching.
    void clearFields();

    QLineEdit* field(int i) const { return m_fields[size_t(i)]; }
    QLabel* label(int i) const { return m_labels[size_t(i)]; }
    QPushButton* addButton() const { return m_add; }
    int limit(int i) const { return m_limits[size_t(i)]; }

    // The first row, from the top, whose texts start with the three given
    // (empty ones match anything); -1 when none does or all three are empty.
    static int findFirst(const FindBarOwner& owner, const QString& first, const QString& second,
                         const QString& third);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void edited(int i);
    void add();

    FindBarOwner* m_owner = nullptr;
    QGroupBox* m_group;
    std::array<QLabel*, 3> m_labels{};
    std::array<QLineEdit*, 3> m_fields{};
    std::array<int, 3> m_limits{5, 15, 15};
    QPushButton* m_add;
};
