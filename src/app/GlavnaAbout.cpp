// The about page: the program's picture, version and date.

#include "app/Glavna.h"

#include "app/GlavnaLayout.h"

#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QTabWidget>
#include <QVBoxLayout>

// Resources of a static library must be registered explicitly; the macro
// declares a global function, so this cannot live in a namespace.
static void InitResources()
{
    Q_INIT_RESOURCE(varkol);
}

QWidget* TForm1::BuildAboutPage()
{
    InitResources();
    TabSheet1 = Named(new QWidget, "TabSheet1");
    auto* page = new QVBoxLayout(TabSheet1);

    Image_About = NewLabel("Image_About", QString());
    Image_About->setFixedSize(897, 446);
    Image_About->setScaledContents(true);
    // The picture is decoded the first time the page is shown, not at start.
    connect(PageControl1, &QTabWidget::currentChanged, Image_About, [this] {
        if (PageControl1->currentWidget() == TabSheet1 && Image_About->pixmap().isNull())
            Image_About->setPixmap(QPixmap(QStringLiteral(":/about.jpg")));
    });

    Label_Verzija = NewLabel("Label_Verzija", QString());
    QFont large = Label_Verzija->font();
    large.setPointSizeF(large.pointSizeF() * 1.4);
    large.setBold(true);
    Label_Verzija->setFont(large);
    Label83 = NewLabel("Label83", QStringLiteral("23. november 2004"));

    auto* block = new QGridLayout;
    block->addWidget(Image_About, 0, 0, 1, 2);
    block->addWidget(Label_Verzija, 1, 0);
    block->addWidget(Label83, 2, 0);
    page->addStretch();
    auto* centred = new QHBoxLayout;
    centred->addStretch();
    centred->addLayout(block);
    centred->addStretch();
    page->addLayout(centred);
    page->addStretch(2);
    return TabSheet1;
}
