// The main window's wiring: menus, the options panel, the control bar item,
// recent files, the file commands, command line and drop.
#include "modelview/modelviewwidget.h"
#include "modelview/modelviewwindow.h"
#include "modelview/testing/samplefighter.h"
#include "modelview/viewcontroller.h"
#include "modelview/viewoptionspanel.h"

#include "common/fileimage.h"
#include "common/testing/fakewindowhost.h"
#include "samplegen/samples.h"

#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QWheelEvent>
#include <QtTest>
#include <type_traits>

using namespace kvl::modelview;

// The window is never its core's host: a box or dialog cannot redraw it.
static_assert(!std::is_base_of_v<kvl::WindowHost, kvl::modelview::ModelViewWindow>);

class FrameTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    kvl::test::FakeWindowHost<> host;

    QString writeModel(const QString& name)
    {
        const QString path = dir.filePath(name);
        if (!kvl::writeFileImage(path.toStdString(), kvl::test::sampleFighter()))
            return {};
        return path;
    }
    // The window as the program starts it, its dialogs answered by `host`
    // (or its own Qt dialogs with `own`).
    enum class Dialogs { Fake, Own };
    std::unique_ptr<ModelViewWindow> start(const QString& file = {}, Dialogs dialogs = Dialogs::Fake)
    {
        auto frame = startModelview(file, dialogs == Dialogs::Fake ? &host : nullptr);
        if (!QTest::qWaitForWindowExposed(frame.get()))
            return nullptr;
        return frame;
    }
    static QStringList visibleTexts(QMenu* menu)
    {
        QStringList texts;
        for (QAction* a : menu->actions())
            if (a->isVisible())
                texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return texts;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath(QStringLiteral("profile")));
    }
    void init()
    {
        host.messages.clear();
        host.fileDialogs.clear();
        host.chosenFiles.clear();
        QSettings(QStringLiteral("VKM! Studio"), QStringLiteral("modelview")).clear();
    }

    void menusAndToolbar()
    {
        auto frame = start();
        QVERIFY(frame);
        QCOMPARE(frame->windowTitle(), QStringLiteral("Untitled - VKM! Studio"));
        const QList<QAction*> menus = frame->menuBar()->actions();
        QCOMPARE(menus.size(), 3);
        QCOMPARE(menus[0]->text(), QStringLiteral("&File"));
        QCOMPARE(menus[1]->text(), QStringLiteral("&View"));
        QCOMPARE(menus[2]->text(), QStringLiteral("&Help"));
        QCOMPARE(visibleTexts(menus[0]->menu()),
            (QStringList { "&New\tCtrl+N", "&Open...\tCtrl+O", "&Save\tCtrl+S", "Save &As...", "-", "Recent File", "-",
                "E&xit" }));
        QCOMPARE(visibleTexts(menus[1]->menu()),
            (QStringList { "&Reset View\tHome", "&Fit\tF", "Clear &Selection\tEsc", "&Copy Status\tCtrl+C", "-",
                "&Toolbar", "&Status Bar", "&Control Bar" }));
        QCOMPARE(visibleTexts(menus[2]->menu()), (QStringList { "&Controls...", "&About modelview..." }));
        QCOMPARE(frame->commands().viewReset->shortcut(), QKeySequence(Qt::Key_Home));
        QCOMPARE(frame->commands().fileNew->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
        QCOMPARE(frame->commands().fileOpen->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
        QCOMPARE(frame->commands().fileSave->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
        QCOMPARE(frame->commands().viewControlBar->statusTip(), QStringLiteral("Show or hide the control bar"));
        QCOMPARE(frame->commands().viewControlBar->toolTip(), QStringLiteral("Toggle ControlBar"));
        // Found by member, the commands keep their ID_ names for scripts.
        const ModelViewCommands& c = frame->commands();
        const QList<QPair<QAction*, const char*>> named { { c.fileNew, "ID_FILE_NEW" }, { c.fileOpen, "ID_FILE_OPEN" },
            { c.fileSave, "ID_FILE_SAVE" }, { c.fileSaveAs, "ID_FILE_SAVE_AS" }, { c.appExit, "ID_APP_EXIT" },
            { c.appAbout, "ID_APP_ABOUT" }, { c.helpControls, "ID_HELP_CONTROLS" }, { c.viewReset, "ID_VIEW_RESET" },
            { c.viewFit, "ID_VIEW_FIT" }, { c.viewClearSelection, "ID_VIEW_CLEAR_SELECTION" },
            { c.editCopy, "ID_EDIT_COPY" }, { c.viewControlBar, "ID_VIEW_CONTROLBAR" },
            { c.viewToolBar, "ID_VIEW_TOOLBAR" }, { c.viewStatusBar, "ID_VIEW_STATUS_BAR" },
            { c.recentEmpty, "ID_FILE_MRU_EMPTY" }, { c.recent[0], "ID_FILE_MRU_1" },
            { c.recent[3], "ID_FILE_MRU_4" } };
        for (const auto& [action, name] : named) {
            QVERIFY2(action, name);
            QCOMPARE(action->objectName(), QString::fromLatin1(name));
        }

        const QList<QAction*> tools = frame->toolBar()->actions();
        QCOMPARE(tools.size(), 7);
        QCOMPARE(tools[0], frame->commands().fileOpen);
        QCOMPARE(tools[1], frame->commands().fileSave);
        QVERIFY(tools[2]->isSeparator());
        QCOMPARE(tools[3], frame->commands().appAbout);
        QVERIFY(tools[4]->isSeparator());
        QCOMPARE(tools[5], frame->commands().viewReset);
        QCOMPARE(tools[6], frame->commands().viewFit);
        // Each button names itself by the short prompt, without the shortcut.
        const QStringList buttonNames { "Open", "Save", "", "About" };
        for (int i : { 0, 1, 3 }) {
            QWidget* button = frame->toolBar()->widgetForAction(tools[i]);
            QVERIFY(button);
            QCOMPARE(QAccessible::queryAccessibleInterface(button)->text(QAccessible::Name), buttonNames[i]);
        }

        const QStringList indicators { "CAP", "NUM", "SCRL" };
        for (const QString& name : indicators)
            QCOMPARE(frame->findChild<QLabel*>(QStringLiteral("Indicator") + name)->text(), name);

        auto about = frame->makeAboutBox();
        QCOMPARE(about->windowTitle(), QStringLiteral("About modelview"));
        QCOMPARE(about->text(), QStringLiteral("modelview Version 1.0"));
        QCOMPARE(about->button(QMessageBox::Ok)->text(), QStringLiteral("OK"));
    }

    void panelStartsDockedLeftWithWorkingBoxes()
    {
        auto frame = start();
        QVERIFY(frame);
        ViewOptionsPanel* bar = frame->optionsBar();
        QCOMPARE(frame->dockWidgetArea(bar), Qt::LeftDockWidgetArea);
        QVERIFY(!bar->isFloating());
        QCOMPARE(bar->windowTitle(), QStringLiteral("VKM! Studio"));
        QCOMPARE(bar->property("controlId").toInt(), 128);
        // 200 wide unless the captions need more in the font at hand.
        QCOMPARE(bar->sizeHint(), QSize(200, 200));
        QCOMPARE(bar->width(), qMax(200, bar->widget()->minimumWidth()));

        QComboBox* list = bar->viewList();
        QVERIFY(!list->isEditable());
        QCOMPARE(list->count(), 4);
        const QStringList entries { "Perspective", "Front", "Size", "Top" };
        for (int i = 0; i < 4; ++i)
            QCOMPARE(list->itemText(i), entries[i]);
        QCOMPARE(list->currentIndex(), 0);
        QCOMPARE(list->property("controlId").toInt(), 200);
        QCOMPARE(list->accessibleName(), QStringLiteral("View:"));

        QCheckBox* textures = bar->drawTextures();
        QCheckBox* nodes = bar->drawNodes();
        QCOMPARE(textures->text(), QStringLiteral("Draw Textures"));
        QCOMPARE(textures->property("controlId").toInt(), 201);
        QCOMPARE(nodes->property("controlId").toInt(), 202);
        QVERIFY(!textures->isChecked());
        QVERIFY(nodes->isChecked());
        // No texture image to draw: the box is off and says why.
        QVERIFY(!textures->isEnabled());
        QVERIFY(textures->toolTip().contains(QStringLiteral("VKM files carry no texture image")));
        QTest::mouseClick(textures, Qt::LeftButton);
        QVERIFY(!textures->isChecked());
        QTest::mouseClick(nodes, Qt::LeftButton);
        QVERIFY(!nodes->isChecked());
        QVERIFY(!frame->viewController()->renderOptions().drawNodes);
        QTest::keyClick(nodes, Qt::Key_Space);
        QVERIFY(nodes->isChecked());
        QVERIFY(!bar->showBackFaces()->isChecked());
        QCOMPARE(bar->nodeSize()->value(), 0.0);
        QCOMPARE(bar->nodeSize()->text(), QStringLiteral("Default"));
        // The box keeps its name; a screen reader hears the value shown.
        QCOMPARE(bar->nodeSize()->accessibleDescription(), QStringLiteral("Default"));
        bar->nodeSize()->setValue(2.5);
        QCOMPARE(bar->nodeSize()->accessibleDescription(), bar->nodeSize()->text());
        QVERIFY(bar->nodeSize()->accessibleDescription().startsWith(QStringLiteral("2.5")));
        QCOMPARE(bar->nodeSize()->accessibleName(), QStringLiteral("Node size"));
    }

    void barSizesRoundTripThroughTheProfile()
    {
        DockBar bar(QStringLiteral("bar"), 128);
        QCOMPARE(bar.stateSize(DockBar::State::Floating), QSize(200, 200));
        QSettings profile(QStringLiteral("VKM! Studio"), QStringLiteral("modelview"));
        bar.saveSizes(profile, QStringLiteral("Test"));
        QCOMPARE(profile.value(QStringLiteral("Test-Bar-128/sizeVertCX")).toInt(), 200);
        // Values below the minimums are raised to them on load.
        profile.setValue(QStringLiteral("Test-Bar-128/sizeHorzCX"), 5);
        profile.setValue(QStringLiteral("Test-Bar-128/sizeVertCY"), 300);
        profile.setValue(QStringLiteral("Test-Bar-128/sizeFloatCX"), 1);
        profile.setValue(QStringLiteral("Test-Bar-128/sizeFloatCY"), -4);
        bar.loadSizes(profile, QStringLiteral("Test"));
        QCOMPARE(bar.stateSize(DockBar::State::Horizontal), QSize(33, 200));
        QCOMPARE(bar.stateSize(DockBar::State::Vertical), QSize(200, 300));
        QCOMPARE(bar.stateSize(DockBar::State::Floating), QSize(37, 32));
    }

    void controlBarItemFollowsThePanel()
    {
        auto frame = start();
        QVERIFY(frame);
        ViewOptionsPanel* bar = frame->optionsBar();
        QAction* item = frame->commands().viewControlBar;
        QVERIFY(item->isCheckable());
        QVERIFY(item->isChecked());

        // The close button in the gripper hides the panel.
        QWidget* gripper = bar->titleBarWidget();
        QVERIFY(gripper);
        QCOMPARE(gripper->height(), 12);
        const QPoint close(gripper->width() - 2 - 11 / 2 - 1, gripper->height() / 2);
        QTest::mouseClick(gripper, Qt::LeftButton, {}, close);
        QTRY_VERIFY(!bar->isVisible());
        QVERIFY(!item->isChecked());

        item->trigger();
        QTRY_VERIFY(bar->isVisible());
        QVERIFY(item->isChecked());
        item->trigger();
        QTRY_VERIFY(!bar->isVisible());
        // Floating, the bar takes its floating size; docked again, its width.
        item->trigger();
        QTRY_VERIFY(bar->isVisible());
        const int docked = bar->width();
        bar->setFloating(true);
        QTRY_COMPARE(bar->height(), 200);
        // (wider only by what the captions and the floating frame need)
        QVERIFY(bar->width() >= 200 && bar->width() <= qMax(200, bar->widget()->minimumWidth()) + 8);
        bar->setFloating(false);
        QTRY_COMPARE(frame->dockWidgetArea(bar), Qt::LeftDockWidgetArea);
        QTRY_COMPARE(bar->width(), docked);
        item->trigger();
        QTRY_VERIFY(!bar->isVisible());

        // Hidden, the panel still decides what the view draws.
        bar->viewList()->setCurrentIndex(3);
        QCOMPARE(bar->selectedView(), 3);
    }

    void commandLineOpensTheFileAndSaveStaysSafe()
    {
        const QString path = writeModel(QStringLiteral("FIGHTER.VKM"));
        auto frame = start(path);
        QVERIFY(frame);
        QTRY_VERIFY(frame->document().model() != nullptr);
        QCOMPARE(frame->windowTitle(), QStringLiteral("FIGHTER.VKM - VKM! Studio"));
        QVERIFY(host.messages.empty());
        // Opened at start-up, the model still has the point sizes of the context.
        QVERIFY(frame->view()->isGlReady());
        QCOMPARE(frame->document().model()->pointSizes().granularity, frame->view()->pointSizes().granularity);
        QCOMPARE(frame->document().model()->pointSizes().minimum, frame->view()->pointSizes().minimum);
        // The view and what it holds (the picture's window) are named for assistive technology.
        QCOMPARE(frame->view()->accessibleName(), QStringLiteral("Model view"));
        for (const QWidget* part : frame->view()->findChildren<QWidget*>())
            QVERIFY2(!part->accessibleName().isEmpty(), part->metaObject()->className());
        QVERIFY(!frame->commands().fileSave->isEnabled());
        QVERIFY(frame->commands().fileSaveAs->isEnabled());

        frame->commands().fileNew->trigger();
        QVERIFY(frame->document().model() == nullptr);
        QCOMPARE(frame->windowTitle(), QStringLiteral("Untitled - VKM! Studio"));
        QVERIFY(!frame->commands().fileSaveAs->isEnabled());

        // A bad file named on the command line: the message, no model.
        const QString bad = dir.filePath(QStringLiteral("bad.vkm"));
        QVERIFY(kvl::writeFileImage(bad.toStdString(), std::vector<std::uint8_t>(10, 0)));
        auto second = start(bad);
        QVERIFY(second);
        QTRY_COMPARE(host.messages.size(), std::size_t(1));
        QCOMPARE(host.messages[0].title, std::string("File Error!"));
        QCOMPARE(host.messages[0].text, std::string("Not a valid VKM file!"));
        QVERIFY(second->document().model() == nullptr);
        QCOMPARE(second->windowTitle(), QStringLiteral("bad.vkm - VKM! Studio"));
    }

    // The file named on the command line is opened before the view draws
    // anything: the first frame already shows the model.
    void commandLineFileIsInTheFirstFrame()
    {
        const QString path = writeModel(QStringLiteral("first.vkm"));
        auto frame = startModelview(path, &host);
        QVERIFY(frame->view());
        std::vector<bool> modelShown;
        connect(frame->view(), &ModelView::frameSwapped, this,
            [&] { modelShown.push_back(frame->document().model() != nullptr); });
        QTRY_VERIFY(!modelShown.empty());
        QVERIFY(modelShown.front());
        QVERIFY(host.messages.empty());
    }

    void recentFilesKeepFourAndSurviveARestart()
    {
        QStringList paths;
        for (int i = 1; i <= 5; ++i)
            paths << writeModel(QStringLiteral("m%1.vkm").arg(i));
        {
            auto frame = start();
            QVERIFY(frame);
            QTRY_VERIFY(frame->view()->isGlReady());
            for (const QString& p : paths)
                frame->openDocumentFile(p);
            frame->openDocumentFile(paths[2]); // again: moves to the top
            QCOMPARE(frame->recentFiles().files(), (QStringList { paths[2], paths[4], paths[3], paths[1] }));
        }
        QSettings profile(QStringLiteral("VKM! Studio"), QStringLiteral("modelview"));
        QCOMPARE(profile.value(QStringLiteral("Recent File List/File1")).toString(), paths[2]);
        QCOMPARE(profile.value(QStringLiteral("Recent File List/File4")).toString(), paths[1]);

        auto frame = start();
        QVERIFY(frame);
        QCOMPARE(frame->recentFiles().files().size(), 4);
        QAction* first = frame->commands().recent[0];
        QVERIFY(first->isVisible());
        QCOMPARE(first->text(), QStringLiteral("&1 ") + QDir::toNativeSeparators(paths[2]));
        QVERIFY(!frame->commands().recentEmpty->isVisible());
        first->trigger();
        QTRY_VERIFY(frame->document().model() != nullptr);
        QCOMPARE(frame->windowTitle(), QStringLiteral("m3.vkm - VKM! Studio"));

        // A file that has gone away leaves the list when it fails to open.
        QVERIFY(QFile::remove(paths[4]));
        frame->commands().recent[1]->trigger();
        QCOMPARE(host.messages.size(), std::size_t(1));
        QVERIFY(!frame->recentFiles().files().contains(paths[4]));
        // ... and only that file: the others keep their places.
        QCOMPARE(frame->recentFiles().files(), (QStringList { paths[2], paths[3], paths[1] }));
    }

    void openAndSaveAsGoThroughTheHost()
    {
        const QString path = writeModel(QStringLiteral("FIGHTER.VKM"));
        auto frame = start();
        QVERIFY(frame);
        QTRY_VERIFY(frame->view()->isGlReady());
        host.chosenFiles = { path.toStdString() };
        frame->commands().fileOpen->trigger();
        QVERIFY(frame->document().model() != nullptr);
        QCOMPARE(frame->windowTitle(), QStringLiteral("FIGHTER.VKM - VKM! Studio"));
        QCOMPARE(frame->recentFiles().files(), QStringList { path });
        // Cancelled, the dialog changes nothing.
        frame->commands().fileOpen->trigger();
        QVERIFY(frame->document().model() != nullptr);

        const QString copy = dir.filePath(QStringLiteral("copy"));
        host.chosenFiles = { copy.toStdString() };
        frame->commands().fileSaveAs->trigger();
        QCOMPARE(host.fileDialogs.size(), std::size_t(3));
        QCOMPARE(host.fileDialogs[2].caption, std::string("Save As"));
        QCOMPARE(kvl::fileSize((copy + QStringLiteral(".vkm")).toStdString()),
            std::int64_t(kvl::test::sampleFighter().size()));
        QVERIFY(host.messages.empty());
    }

    void openDialogListsModelsWhateverTheirCase()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QStringList names { "FIGHTER.VKM", "plane.vkm", "notes.txt" };
        for (const QString& name : names)
            QVERIFY(kvl::writeFileImage(folder.filePath(name).toStdString(), std::vector<std::uint8_t>(24, 0)));
        auto frame = start({}, Dialogs::Own);
        QVERIFY(frame);

        // Look into the window's own Open dialog while it runs, then cancel it.
        QString title;
        QStringList filters;
        bool qtDialog = false;
        QStringList listed;
        QTimer::singleShot(0, frame.get(), [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            title = dialog->windowTitle();
            filters = dialog->nameFilters();
            // A desktop's native dialog may match the pattern by case alone.
            qtDialog = dialog->testOption(QFileDialog::DontUseNativeDialog)
                && dialog->objectName() == QLatin1String("OpenDialog");
            dialog->setDirectory(folder.path());
            if (auto* files = dialog->findChild<QFileSystemModel*>()) {
                const QModelIndex root = files->index(folder.path());
                (void)QTest::qWaitFor([&] { return files->rowCount(root) >= 2; }, 5000);
                QTest::qWait(100);
                for (int row = 0; row < files->rowCount(root); ++row)
                    listed << files->index(row, 0, root).data().toString();
            }
            dialog->reject();
        });
        frame->commands().fileOpen->trigger();
        QCOMPARE(title, QStringLiteral("Open"));
        QCOMPARE(filters,
            (QStringList { QStringLiteral("VKM Models (*.vkm)"), QStringLiteral("3DB Models (*.3db)"),
                QStringLiteral("All Models (*.vkm *.3db)") }));
        QVERIFY(qtDialog);
        // The upper-case name that modelconv writes is listed, text files are not.
        listed.sort();
        QCOMPARE(listed, (QStringList { names[0], names[1] }));
        QVERIFY(frame->document().model() == nullptr);
    }

    // Turning, resetting, picking, clearing and copying, as a user does it.
    void mouseAndKeysTurnPickAndReset()
    {
        const QString path = writeModel(QStringLiteral("turn.vkm"));
        auto frame = start(path);
        QVERIFY(frame);
        QTRY_VERIFY(frame->document().model() != nullptr);
        QWidget* view = frame->viewWidget();
        ViewController* control = frame->viewController();
        QVERIFY(control->camera().isDesigned());

        const QPoint centre = view->rect().center();
        QTest::mousePress(view, Qt::LeftButton, {}, centre);
        QTest::mouseMove(view, centre + QPoint(40, 10));
        QTest::mouseMove(view, centre + QPoint(80, 20));
        QTest::mouseRelease(view, Qt::LeftButton, {}, centre + QPoint(80, 20));
        QVERIFY(!control->camera().isDesigned());
        QCOMPARE(frame->statusText(), QStringLiteral("Ready")); // a drag picks nothing
        frame->commands().viewReset->trigger();
        QVERIFY(control->camera().isDesigned());
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
        view->setFocus();
        QTest::keyClick(view, Qt::Key_Left);
        QVERIFY(!control->camera().isDesigned());
        QTest::keyClick(view, Qt::Key_Home);
        QVERIFY(control->camera().isDesigned());

        // A click on a node of the picture selects it.
        const VkmModel* model = frame->document().model();
        const QSize size = control->deviceSize();
        const ViewMatrices v = control->matrices(size.width(), size.height());
        const auto node = project(v, drawingPosition(model->point(0)));
        QVERIFY(node);
        const qreal ratio = view->devicePixelRatioF();
        QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(qRound(node->x / ratio), qRound(node->y / ratio)));
        QVERIFY2(frame->statusText().startsWith(QStringLiteral("Node ")), qPrintable(frame->statusText()));
        auto* pane = frame->findChild<QLabel*>(QStringLiteral("MessagePane"));
        QCOMPARE(pane->accessibleDescription(), frame->statusText());
        QVERIFY(control->selection());
        frame->commands().editCopy->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), frame->statusText());
        QTest::keyClick(view, Qt::Key_Escape);
        QVERIFY(!control->selection());
        QCOMPARE(frame->statusText(), QStringLiteral("Ready"));
        QCOMPARE(pane->accessibleDescription(), QStringLiteral("Ready"));

        // The wheel zooms the picture, not the frame.
        QWheelEvent wheel(QPointF(centre), view->mapToGlobal(QPointF(centre)), {}, QPoint(0, 120), Qt::NoButton, {},
            Qt::NoScrollPhase, false);
        QApplication::sendEvent(view, &wheel);
        QVERIFY(!control->camera().isDesigned());
    }

    // Where OpenGL cannot be had the window shows the software picture with
    // a note, and opens .3DB models like any other.
    void softwareViewAndThreeDbModels()
    {
        const QString game = dir.filePath(QStringLiteral("game"));
        QVERIFY(QDir().mkpath(game));
        QVERIFY(kvl::samples::writeModelSamples(game.toStdString()));
        ModelViewWindow frame(&host, nullptr, ViewBackend::Software);
        QVERIFY(!frame.view());
        QVERIFY(frame.softwareView());
        frame.start(QDir(game).filePath(QStringLiteral("FIGHTER.3DB")));
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QTRY_VERIFY(frame.document().model() != nullptr);
        QCOMPARE(frame.windowTitle(), QStringLiteral("FIGHTER.3DB - VKM! Studio"));
        auto* note = frame.findChild<QLabel*>(QStringLiteral("NotePane"));
        QVERIFY(note->text().contains(QStringLiteral("No OpenGL")));
        QCOMPARE(note->accessibleDescription(), note->text());
        const QImage shown = frame.softwareView()->grab().toImage();
        int red = 0, white = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) {
                const QColor c = shown.pixelColor(x, y);
                red += c.red() > 200 && c.green() < 40;
                white += c.red() > 200 && c.green() > 200 && c.blue() > 200;
            }
        QVERIFY(red > 0 && white > 100);

        frame.openDocumentFile(QDir(game).filePath(QStringLiteral("BIGMODEL.3DB")));
        QVERIFY(frame.document().model());
        QVERIFY(note->text().contains(QStringLiteral("Cannot be saved as VKM")));
        QCOMPARE(note->accessibleDescription(), note->text());
        QVERIFY(host.messages.empty());
    }

    // Dropped on the picture, a file opens as it does anywhere else on the
    // window: the window routes the drop by position, and the view's OpenGL
    // window takes none of its own.
    void droppedFileOpens()
    {
        const QString path = writeModel(QStringLiteral("dropped.vkm"));
        auto frame = start();
        QVERIFY(frame);
        QMimeData mime;
        mime.setUrls({ QUrl::fromLocalFile(path) });
        const QPoint at = frame->view()->mapTo(frame.get(), frame->view()->rect().center());
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(frame->windowHandle(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(frame->windowHandle(), &drop);
        QTRY_VERIFY(frame->document().model() != nullptr);
        QCOMPARE(frame->windowTitle(), QStringLiteral("dropped.vkm - VKM! Studio"));
    }

    // A refused file's message comes over the window as it was before: the
    // model, title and status of the file shown so far. Once the box is
    // answered the window shows the refused file's empty document.
    void aRefusalShowsOverTheModelShownBefore()
    {
        const QString good = writeModel(QStringLiteral("FIGHTER.VKM"));
        const QString bad = dir.filePath(QStringLiteral("bad.vkm"));
        QVERIFY(kvl::writeFileImage(bad.toStdString(), std::string(10, '\0')));
        auto frame = start(good);
        QVERIFY(frame);
        QTRY_VERIFY(frame->document().model() != nullptr);
        const QString title = frame->windowTitle();
        const bool saveAs = frame->commands().fileSaveAs->isEnabled();
        const int redraws = frame->document().changes().notifications();
        QString titleBehind;
        bool modelBehind = false;
        bool saveAsBehind = false;
        int redrawsBehind = -1;
        host.whileShown = [&](const kvl::Message&) {
            titleBehind = frame->windowTitle();
            modelBehind = frame->document().model() != nullptr;
            saveAsBehind = frame->commands().fileSaveAs->isEnabled();
            redrawsBehind = frame->document().changes().notifications();
        };
        frame->openDocumentFile(bad);
        host.whileShown = nullptr;
        QCOMPARE(host.lastText(), std::string("Not a valid VKM file!"));
        QCOMPARE(titleBehind, title);
        QVERIFY(modelBehind);
        QCOMPARE(saveAsBehind, saveAs);
        QCOMPARE(redrawsBehind, redraws);
        QCOMPARE(frame->windowTitle(), QStringLiteral("bad.vkm - VKM! Studio"));
        QVERIFY(frame->document().model() == nullptr);
        QVERIFY(!frame->commands().fileSaveAs->isEnabled());
    }
};

QTEST_MAIN(FrameTest)
#include "modelviewwindow_test.moc"
