#include "forms/main_form.h"

#include "app/process_objects.h"

TForm1::TForm1(ProcessObjects &objects, QWidget *parent)
    : QWidget(parent)
    , m_objects(objects)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Lexomat"));
    resize(413, 382);
}

TForm1::~TForm1() = default;
