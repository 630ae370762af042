#include "Unit2.h"
#include "errorbox.h"

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    TForm1 Form1;
    Form1.show();
    return app.exec();
}
