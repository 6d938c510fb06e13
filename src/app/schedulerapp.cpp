#include "schedulerapp.h"

#include "schedulerdlg.h"

bool CSchedulerApp::InitInstance()
{
    CSchedulerDlg dlg;
    dlg.exec();
    return false;
}
