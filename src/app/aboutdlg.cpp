#include "aboutdlg.h"
#include "ui_aboutdlg.h"

#include "commandids.h"
#include "resources.h"

CAboutDlg::CAboutDlg(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::CAboutDlg>())
{
    InitResources();
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint);
    setFixedSize(size());
    connect(m_ui->buttonOk, &QPushButton::clicked, this, [this] { done(IdOk); });
}

CAboutDlg::~CAboutDlg() = default;
