// A plain window for end-to-end tests to look through the overlay at and to click on. It paints
// one known colour and appends "press x y" for every mouse press to the file named by argv[1].
// argv[2..5]: x y width height.
#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

class CWitness : public QWidget {
public:
    explicit CWitness(QString logPath) : m_logPath(std::move(logPath)) {
        setWindowTitle("RavlinWitness");
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(40, 120, 200));
    }
    void mousePressEvent(QMouseEvent* event) override {
        QFile log(m_logPath);
        if (log.open(QIODevice::Append)) {
            const QPoint p = event->globalPosition().toPoint();
            log.write(QString("press %1 %2\n").arg(p.x()).arg(p.y()).toUtf8());
        }
    }

private:
    QString m_logPath;
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 6)
        return 2;
    CWitness witness(QString::fromLocal8Bit(argv[1]));
    witness.setGeometry(atoi(argv[2]), atoi(argv[3]), atoi(argv[4]), atoi(argv[5]));
    witness.show();
    QFile ready(QString::fromLocal8Bit(argv[1]));
    if (ready.open(QIODevice::Append))
        ready.write("ready\n");
    return app.exec();
}
