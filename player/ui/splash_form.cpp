#include "splash_form.h"
#include "ui_splash_form.h"

#include <QFont>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QSvgRenderer>

#include <algorithm>

namespace zentavo {

namespace {

QPixmap SplashPicture()
{
    QPixmap picture(435, 149);
    picture.fill(Qt::white);
    QSvgRenderer renderer(QStringLiteral(":/zentavo/splash.svg"));
    QPainter painter(&picture);
    renderer.render(&painter, QRectF(0, 0, 435, 149));
    return picture;
}

} // namespace

TSplashForm::TSplashForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), ui(std::make_unique<Ui::TSplashForm>())
{
    ui->setupUi(this);
    setFixedSize(435, 150);
    setAutoFillBackground(true);
    // Tahoma 11 px where it exists, else a face of about its width, so the labels keep their places.
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                      QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(11);
    setFont(font);
    ui->Image1->setPixmap(SplashPicture());
    ui->Image1->lower();
    ui->Image1->installEventFilter(this);
    for (QLabel* label : {ui->Label1, ui->Label3, ui->Label4}) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, Qt::black);
        label->setPalette(palette);
    }
    FitLabels();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

TSplashForm::~TSplashForm() = default;

void TSplashForm::SetStatusText(const QString& text)
{
    ui->Label3->setText(text);
    FitLabels();
}

void TSplashForm::FitLabels()
{
    // A wider face than Tahoma must not cut a label: Label1 and Label4 grow to the right, Label3
    // (right-aligned) to the left.
    for (QLabel* label : {ui->Label1, ui->Label4}) {
        const int needed = label->fontMetrics().horizontalAdvance(label->text()) + 2;
        if (needed > label->width())
            label->resize(std::min(needed, width() - label->x()), label->height());
    }
    const int right = 336 + 84;
    const int needed = ui->Label3->fontMetrics().horizontalAdvance(ui->Label3->text()) + 2;
    const int width = std::max(84, std::min(needed, right));
    ui->Label3->setGeometry(right - width, 8, width, 13);
}

void TSplashForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TSplashForm::Image1Click()
{
    close();
}

bool TSplashForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->Image1) {
        if (event->type() == QEvent::MouseButtonPress && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            image1Pressed_ = true;
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease && image1Pressed_) {
            image1Pressed_ = false;
            if (ui->Image1->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint()))
                Image1Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace zentavo
