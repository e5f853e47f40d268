// What the recording benchmark films: a full-screen window that is either
//   screen_animator animated FREEZE_FILE      moving shapes redrawn every 20 ms
//   screen_animator presentation FREEZE_FILE  a still slide with a pen stroke added every second
// While FREEZE_FILE exists the picture holds still, so a reference grab of the screen can be
// compared with the last frames of a recording.
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QRasterWindow>
#include <QScreen>
#include <QTimer>
#include <cmath>

namespace {

class CAnimatorWindow : public QRasterWindow {
public:
    CAnimatorWindow(bool animated, QString freezeFile)
        : m_animated(animated), m_freezeFile(std::move(freezeFile)) {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (QFile::exists(m_freezeFile))
                return;
            ++m_step;
            update();
        });
        m_timer.start(animated ? 20 : 1000);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        if (m_animated)
            PaintAnimation(painter);
        else
            PaintSlide(painter);
    }

private:
    void PaintAnimation(QPainter& painter) {
        const double t = m_step * 0.02;
        QLinearGradient sky(0, 0, width(), height());
        sky.setColorAt(0, QColor::fromHsv(int(t * 20) % 360, 160, 200));
        sky.setColorAt(1, QColor::fromHsv(int(t * 20 + 180) % 360, 160, 120));
        painter.fillRect(QRect(QPoint(), size()), sky);
        painter.setRenderHint(QPainter::Antialiasing);
        for (int i = 0; i < 24; ++i) {
            const double a = t * (0.5 + i * 0.07) + i;
            const QPointF centre(width() / 2.0 + std::cos(a) * width() * 0.4,
                                 height() / 2.0 + std::sin(a * 1.3) * height() * 0.4);
            painter.setBrush(QColor::fromHsv((i * 15) % 360, 220, 250));
            painter.setPen(Qt::NoPen);
            painter.drawEllipse(centre, 40 + i * 3, 40 + i * 3);
        }
        painter.setPen(Qt::white);
        painter.setFont(QFont("Sans", 48));
        painter.drawText(QRect(QPoint(), size()), Qt::AlignCenter,
                         QStringLiteral("Frame %1").arg(m_step));
    }

    void PaintSlide(QPainter& painter) {
        painter.fillRect(QRect(QPoint(), size()), QColor(250, 250, 245));
        painter.fillRect(QRect(0, 0, width(), 140), QColor(30, 60, 120));
        painter.setPen(Qt::white);
        painter.setFont(QFont("Sans", 40, QFont::Bold));
        painter.drawText(QRect(80, 0, width(), 140), Qt::AlignVCenter,
                         QStringLiteral("Quarterly review"));
        painter.setPen(QColor(40, 40, 40));
        painter.setFont(QFont("Sans", 28));
        const QStringList bullets = {"Sales up in every region", "Two new offices opened",
                                     "Hiring plan for the next quarter", "Questions"};
        for (int i = 0; i < bullets.size(); ++i)
            painter.drawText(QPoint(120, 260 + i * 90), QStringLiteral("\u2022  ") + bullets[i]);
        // The presenter's ink: one more piece of a wavy underline every second.
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(220, 30, 30), 6, Qt::SolidLine, Qt::RoundCap));
        QPainterPath ink;
        ink.moveTo(120, 700);
        for (int i = 1; i <= m_step; ++i) {
            const int row = (i / 60) % 4;
            const int x = 120 + (i % 60) * 28;
            ink.lineTo(x, 700 + row * 80 + ((i % 2) ? 25 : -25));
        }
        painter.drawPath(ink);
    }

    bool m_animated;
    QString m_freezeFile;
    QTimer m_timer;
    int m_step = 0;
};

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 2;
    CAnimatorWindow window(args[1] == "animated", args[2]);
    window.setFlag(Qt::FramelessWindowHint);
    window.setGeometry(QGuiApplication::primaryScreen()->geometry());
    window.show();
    return app.exec();
}
