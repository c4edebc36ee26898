#pragma once

#include <QObject>

class CMainApp;

// Readings and summary tables. (Skeleton.)
class CTable : public QObject
{
    Q_OBJECT
public:
    explicit CTable(CMainApp *app);

private:
    CMainApp *app;
};
