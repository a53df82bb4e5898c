#include "splash_form.h"
#include "ui_splash_form.h"

#include <QFont>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QSvgRenderer>

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
    QFont font(QStringLiteral("Tahoma"));
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
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

TSplashForm::~TSplashForm() = default;

void TSplashForm::SetStatusText(const QString& text)
{
    ui->Label3->setText(text);
}

void TSplashForm::Image1Click()
{
    close();
}

bool TSplashForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->Image1) {
        if (event->type() == QEvent::MouseButtonPress &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
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
