#pragma once

#include <QDialog>

// The live results' address as a QR code, for phones at the arena to scan,
// with the address written out beneath it.
class CDlgLiveQr : public QDialog
{
    Q_OBJECT
public:
    explicit CDlgLiveQr(const QString& url, QWidget* parent = nullptr);
};
