#pragma once

#include <QWidget>

struct ProcessObjects;

// The main window.
class TForm1 : public QWidget
{
    Q_OBJECT

public:
    explicit TForm1(ProcessObjects &objects, QWidget *parent = nullptr);
    ~TForm1() override;

private:
    ProcessObjects &m_objects;
};
