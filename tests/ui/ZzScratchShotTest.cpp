#include "ui/Corvan2View.h"
#include "ProjectViewTestSupport.h"
#include "ui/ListCtrl_Printer.h"
#include "ui/Corvan2ViewIds.h"
#include <QTabWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <gtest/gtest.h>
namespace pellora::ui {
TEST(ZzScratch, Shots)
{
    test::BuildFolder build;
    for (int lang : {0, 0x407, 0x411}) {
    TheStringTable().Load(lang, kStringTableGroup);
    CCorvan2Doc doc; doc.OnNewDocument();
    auto p = build.ValidPrinter("Front Desk"); p->macAddress="00AA11BB22CC"; p->identityNote="Floor 2";
    doc.GetScript().printers.push_back(std::move(p));
    auto q = build.ValidPrinter(""); q->address = "192.168.192.168"; q->defaultPrinter=1;
    doc.GetScript().printers.push_back(std::move(q));
    QMdiArea area; area.resize(740, 480);
    auto* view = new CCorvan2View(doc);
    auto* sub = area.addSubWindow(view);
    area.show(); sub->setGeometry(0,0,720,460); sub->show();
    view->PrinterList()->SelectItems({0});
    QTest::qWait(50);
    area.grab().save(QString("/tmp/shots/view-%1.png").arg(lang));
    int i = 0;
    for (int id : {corvan2::ID_VIEW_LARGEICON, corvan2::ID_VIEW_SMALLICON, corvan2::ID_VIEW_LIST, corvan2::ID_BIG_ICONS}) {
        view->OnCommand(id); QTest::qWait(30);
        if (lang == 0) view->PrinterList()->grab().save(QString("/tmp/shots/mode-%1.png").arg(i++));
    }
    if (lang == 0) { view->Tabs()->setCurrentIndex(1); QTest::qWait(30); area.grab().save("/tmp/shots/driver.png");
      view->Tabs()->setCurrentIndex(2); QTest::qWait(30); area.grab().save("/tmp/shots/script.png"); }
    }
}
}
