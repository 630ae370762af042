#include "Unit1.h"
#include "about.h"
#include "errorbox.h"

int main(int argc, char **argv)
{
    TApplication application(argc, argv);
    InitializeFramework();
    Form1 = new TForm1;
    AboutBox = new TAboutBox(Form1);
    Form1->show();
    const int result = application.exec();
    delete Form1;
    return result;
}
