#pragma once
// The zone window "Zônes": one cell per zone 0..9 with the first entry tagged with it.
// TFormVignette derives from it.
#include <QStringList>
#include <QWidget>

class TFormZone : public QWidget {
    Q_OBJECT
public:
    explicit TFormZone(QWidget* parent = nullptr);
    void ClearPage();
    void AssignZoneImage(int zone, const QString& path);
    void HighlightItem(int index);
    void sethvignette(int height);
    void setwvignette(int width);
};
