// The flight editor's window.
#include "fltpatch/fltwindow.h"

#include <QFileDialog>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStringDecoder>
#include <QTableWidget>
#include <QVBoxLayout>

#include <functional>

namespace fltpatch {

namespace {

const char* const kCaption = "Orlith's Flight Editor";
// The flight file grid measures its columns in twips, 15 to a pixel.
constexpr int kTwipsPerPixel = 15;
constexpr int kColumnTwips[FlightForm::kColumns] = { 0, 0, 0, 4800, 1440 };

QString pathText(const std::filesystem::path& path)
{
    return QString::fromStdString(path.string());
}

void setTextIfChanged(QLabel* label, const QString& text)
{
    if (label->text() != text)
        label->setText(text);
}

// Brings the window up to date before a dialog opens over it: at start-up the
// descriptions are read before the file dialog opens, and the user should see
// them behind it (and behind any message about them).
class SyncingDialogs : public FltDialogs {
public:
    SyncingDialogs(FltDialogs& inner, std::function<void()> sync) : m_inner(inner), m_sync(std::move(sync)) { }
    std::filesystem::path chooseFltFile(const std::filesystem::path& startFolder) override
    {
        m_sync();
        return m_inner.chooseFltFile(startFolder);
    }
    void showMessage(const std::string& text) override
    {
        m_sync();
        m_inner.showMessage(text);
    }

private:
    FltDialogs& m_inner;
    std::function<void()> m_sync;
};

} // namespace

QString gameText(const std::string& text)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString decoded = utf8(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    if (!utf8.hasError())
        return decoded;
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::filesystem::path QtFltDialogs::chooseFltFile(const std::filesystem::path& startFolder)
{
    QFileDialog dialog(m_parent, QStringLiteral("Open a flight file"), pathText(startFolder),
        QStringLiteral("Flight files (*.flt *.FLT *.Flt);;All files (*)"));
    dialog.setObjectName(QStringLiteral("CD"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return std::filesystem::path(dialog.selectedFiles().constFirst().toStdString());
}

void QtFltDialogs::showMessage(const std::string& text)
{
    QMessageBox::information(m_parent, QString::fromLatin1(kCaption), QString::fromStdString(text));
}

FltWindow::FltWindow(FltDialogs* dialogs, QWidget* parent) : QWidget(parent)
{
    if (!dialogs) {
        m_ownDialogs = std::make_unique<QtFltDialogs>(this);
        dialogs = m_ownDialogs.get();
    }
    m_syncingDialogs = std::make_unique<SyncingDialogs>(*dialogs, [this] { sync(); });
    m_form = std::make_unique<FlightForm>(*m_syncingDialogs);
    buildWidgets();
    sync();
}

FltWindow::~FltWindow() = default;

void FltWindow::buildWidgets()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromLatin1(kCaption));

    m_g1 = new QTableWidget(kFieldCount, FlightForm::kColumns, this);
    m_g1->setObjectName(QStringLiteral("G1"));
    m_g1->setAccessibleName(QStringLiteral("Fields of the flight file"));
    m_g1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_g1->setSelectionMode(QAbstractItemView::ContiguousSelection);
    m_g1->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_g1->verticalHeader()->setVisible(false);
    m_g1->verticalHeader()->setDefaultSectionSize(m_g1->fontMetrics().height() + 6);
    m_g1->setWordWrap(false);
    for (int row = 0; row < kFieldCount; ++row)
        for (int column = 0; column < FlightForm::kColumns; ++column)
            m_g1->setItem(row, column, new QTableWidgetItem);
    for (int column = 0; column < FlightForm::kColumns; ++column) {
        m_g1->setColumnWidth(column, kColumnTwips[column] / kTwipsPerPixel);
        m_g1->setColumnHidden(column, kColumnTwips[column] == 0);
    }
    m_g1->horizontalHeader()->setStretchLastSection(false);
    m_g1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_g1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    const int gridWidth = (kColumnTwips[3] + kColumnTwips[4]) / kTwipsPerPixel
        + m_g1->verticalScrollBar()->sizeHint().width() + 2 * m_g1->frameWidth();
    m_g1->setFixedWidth(gridWidth);
    m_g1->viewport()->installEventFilter(this);

    m_g2 = new QTableWidget(0, 1, this);
    m_g2->setObjectName(QStringLiteral("G2"));
    m_g2->setAccessibleName(QStringLiteral("Storage grid"));
    m_g2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_g2->horizontalHeader()->setVisible(false);
    m_g2->horizontalHeader()->setStretchLastSection(true);
    m_g2->verticalHeader()->setDefaultSectionSize(m_g1->fontMetrics().height() + 6);
    m_g2->setFixedWidth(1440 / kTwipsPerPixel + 60);

    auto button = [this](const char* name, const char* caption) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAccessibleName(QString::fromLatin1(caption));
        b->setAutoDefault(false);
        return b;
    };
    m_command1 = button("Command1", "Load flt");
    m_command2 = button("Command2", "Edit flt");
    m_command3 = button("Command3", "Store values");
    m_command4 = button("Command4", "Paste values");

    auto label = [this](const char* name, const QString& accessible) {
        auto* l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        l->setAccessibleName(accessible);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return l;
    };
    const QString label6Text = QStringLiteral("Hit 'Enter' when you have edited the value ==>>");
    m_label6 = label("Label6", label6Text);
    m_label6->setText(label6Text);
    m_text1 = new QLineEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setAccessibleName(label6Text);
    m_label6->setBuddy(m_text1);

    m_label1 = label("Label1", QStringLiteral("File"));
    m_label2 = label("Label2", QStringLiteral("Value"));
    m_label3 = label("Label3", QStringLiteral("Type"));
    m_label4 = label("Label4", QStringLiteral("Position"));
    m_label5 = label("Label5", QStringLiteral("Description"));
    m_label9 = label("Label9", QStringLiteral("First stored field"));
    m_label1->setWordWrap(true);
    m_label5->setWordWrap(true);
    m_label9->setWordWrap(true);
    m_label7 = label("Label7", QStringLiteral("Instructions"));
    m_label7->setWordWrap(true);
    m_label7->setFrameShape(QFrame::StyledPanel);
    m_label7->setMargin(6);
    m_label7->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_label7->setText(QString::fromStdString(instructionsText()));
    m_status = label("StatusLabel", QStringLiteral("Status"));
    m_status->setWordWrap(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_command1);
    buttons->addWidget(m_command2);
    buttons->addWidget(m_command3);
    buttons->addWidget(m_command4);
    buttons->addStretch();

    auto* editRow = new QHBoxLayout;
    editRow->addWidget(m_label6);
    editRow->addWidget(m_text1, 1);

    auto* current = new QFormLayout;
    current->addRow(QStringLiteral("File:"), m_label1);
    current->addRow(QStringLiteral("Value:"), m_label2);
    current->addRow(QStringLiteral("Type:"), m_label3);
    current->addRow(QStringLiteral("Position:"), m_label4);
    current->addRow(QStringLiteral("Description:"), m_label5);

    auto* storage = new QVBoxLayout;
    auto* storageCaption = new QLabel(QStringLiteral("Storage grid:"), this);
    storageCaption->setBuddy(m_g2);
    storage->addWidget(storageCaption);
    storage->addWidget(m_g2, 1);

    auto* transfer = new QHBoxLayout;
    transfer->addWidget(m_label7, 1);
    transfer->addLayout(storage);

    auto* firstStored = new QFormLayout;
    firstStored->addRow(QStringLiteral("First stored field:"), m_label9);

    auto* right = new QVBoxLayout;
    right->addLayout(buttons);
    right->addLayout(editRow);
    right->addLayout(current);
    right->addSpacing(8);
    right->addLayout(transfer, 1);
    right->addLayout(firstStored);
    right->addWidget(m_status);

    auto* top = new QHBoxLayout(this);
    top->addWidget(m_g1);
    top->addLayout(right, 1);
    resize(1000, 720);

    connect(m_command1, &QPushButton::clicked, this, [this] {
        m_form->loadFlt();
        sync();
    });
    connect(m_command2, &QPushButton::clicked, this, [this] { edit(); });
    connect(m_text1, &QLineEdit::returnPressed, this, [this] { edit(); });
    connect(
        m_text1, &QLineEdit::textEdited, this, [this](const QString& text) { m_form->setText1(text.toStdString()); });
    connect(m_command3, &QPushButton::clicked, this, [this] {
        m_form->storeValues();
        sync();
    });
    connect(m_command4, &QPushButton::clicked, this, [this] {
        m_form->pasteValues();
        sync();
    });
    connect(m_g1, &QTableWidget::currentCellChanged, this, [this](int row, int, int, int) {
        if (m_syncing || row < 0)
            return;
        m_form->enterCell(row + 1);
        sync();
    });
    connect(m_g1, &QTableWidget::cellClicked, this, [this](int row, int) {
        m_form->enterCell(row + 1);
        sync();
    });
}

void FltWindow::edit()
{
    m_form->setText1(m_text1->text().toStdString());
    m_form->editFlt();
    sync();
}

void FltWindow::startUp(const std::filesystem::path& folder, const std::filesystem::path& file)
{
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->geometry();
        move(area.x() + (area.width() - frameGeometry().width()) / 2,
            area.y() + (area.height() - frameGeometry().height()) / 2);
    }
    m_form->formLoad(folder, file);
    sync();
}

int FltWindow::rowUnderPointer(int y) const
{
    int row = m_g1->rowAt(y);
    if (row < 0) {
        // Released above or below the rows: the nearest row in view.
        row = y < 0 ? m_g1->rowAt(0) : m_g1->rowAt(m_g1->viewport()->height() - 1);
        if (row < 0)
            row = y < 0 ? 0 : m_g1->rowCount() - 1;
    }
    return row + 1;
}

bool FltWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_g1->viewport()) {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) {
                int row = rowUnderPointer(static_cast<int>(mouse->position().y()));
                if (event->type() == QEvent::MouseButtonPress)
                    m_form->mouseDown(row);
                else
                    m_form->mouseUp(row);
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FltWindow::sync()
{
    m_syncing = true;
    const FlightForm& f = *m_form;
    for (int column = 0; column < FlightForm::kColumns; ++column) {
        QString heading = gameText(f.cell(0, column));
        QTableWidgetItem* header = m_g1->horizontalHeaderItem(column);
        if (!header) {
            m_g1->setHorizontalHeaderItem(column, new QTableWidgetItem(heading));
        } else if (header->text() != heading) {
            header->setText(heading);
        }
    }
    for (int row = 1; row <= kFieldCount; ++row) {
        for (int column = 0; column < FlightForm::kColumns; ++column) {
            QTableWidgetItem* item = m_g1->item(row - 1, column);
            QString text = gameText(f.cell(row, column));
            if (item->text() != text)
                item->setText(text);
        }
    }
    if (m_g1->currentRow() != f.currentRow() - 1) {
        // The form moved the current field itself (start-up, paste): highlight it.
        m_g1->setCurrentCell(f.currentRow() - 1, FlightForm::ColValue, QItemSelectionModel::ClearAndSelect);
        m_g1->scrollToItem(m_g1->currentItem());
    }

    const auto& stored = f.stored();
    if (m_g2->rowCount() != static_cast<int>(stored.size()))
        m_g2->setRowCount(static_cast<int>(stored.size()));
    for (int i = 0; i < static_cast<int>(stored.size()); ++i) {
        QString text = gameText(stored[static_cast<std::size_t>(i)]);
        QTableWidgetItem* item = m_g2->item(i, 0);
        if (!item)
            m_g2->setItem(i, 0, new QTableWidgetItem(text));
        else if (item->text() != text)
            item->setText(text);
    }

    QString text1 = gameText(f.text1());
    if (m_text1->text() != text1)
        m_text1->setText(text1);
    setTextIfChanged(m_label1, QString::fromStdString(f.label1()));
    setTextIfChanged(m_label2, gameText(f.label2()));
    setTextIfChanged(m_label3, gameText(f.label3()));
    setTextIfChanged(m_label4, gameText(f.label4()));
    setTextIfChanged(m_label5, gameText(f.label5()));
    setTextIfChanged(m_label9, gameText(f.label9()));
    setTextIfChanged(m_status, QString::fromStdString(f.status()));
    m_syncing = false;
}

} // namespace fltpatch
