// Renders the window's pictures with QSvgRenderer, as the program does, and
// writes contact sheets and a mock-up of the window's screens, to look at.
// It fails when a file does not load cleanly or is not at its stated size.
//
// Build and run (from the repository root):
//   g++ -std=c++20 -O1 -fPIC tools/artwork/svgcheck.cpp -o /tmp/svgcheck \
//       $(pkg-config --cflags --libs Qt6Svg Qt6Gui)
//   QT_QPA_PLATFORM=offscreen /tmp/svgcheck resources/pictures /tmp/artwork [WORD,...]
// With words, the sheets show only the pictures whose names contain one.

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QtGlobal>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

QStringList gWarnings;

void collect(QtMsgType, const QMessageLogContext&, const QString& msg) {
    gWarnings << msg;
}

const QColor teal(0x20, 0xB0, 0xB0);
const QColor panelBlue(0x27, 0xB7, 0xEC);
const QColor lavender(0xC7, 0x9E, 0xF6);
const QColor coverBlue(0x17, 0xA7, 0xDC);

// Size at which the window shows a picture when it differs from the file's.
const std::map<QString, QSize> shownSize = {{"file_box.svg", QSize(105, 101)}};

QImage render(QSvgRenderer& r, QSize size, QColor ground) {
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(ground);
    QPainter p(&img);
    r.render(&p, QRectF(QPointF(0, 0), QSizeF(size)));
    return img;
}

QImage checker(QSize size, int cell) {
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&img);
    for (int y = 0; y < size.height(); y += cell)
        for (int x = 0; x < size.width(); x += cell)
            p.fillRect(x, y, cell, cell,
                       ((x / cell + y / cell) % 2) ? QColor(200, 200, 200) : Qt::white);
    return img;
}

struct Pic {
    QString name;
    QSize size;
    QSize shown;
};

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: svgcheck PICTURE_DIR OUT_DIR [WORD,WORD...]\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    const QString out = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(out);
    qInstallMessageHandler(collect);

    int failures = 0;
    std::vector<Pic> pics;
    std::map<QString, QSvgRenderer*> renderers;
    for (const QFileInfo& fi : dir.entryInfoList({"*.svg"}, QDir::Files, QDir::Name)) {
        gWarnings.clear();
        auto* r = new QSvgRenderer(fi.absoluteFilePath());
        const QSize size = r->defaultSize();
        const QRectF vb = r->viewBoxF();
        if (r->isValid()) render(*r, size * 4, Qt::white);  // surfaces render-time warnings
        bool ok = r->isValid() && gWarnings.isEmpty() && vb == QRectF(QPointF(0, 0), QSizeF(size));
        std::printf("%-34s %4dx%-4d %6lld bytes %s\n", qPrintable(fi.fileName()), size.width(),
                    size.height(), static_cast<long long>(fi.size()), ok ? "ok" : "FAILED");
        for (const QString& w : gWarnings) std::printf("    %s\n", qPrintable(w));
        if (!ok) {
            ++failures;
            continue;
        }
        renderers[fi.fileName()] = r;
        if (argc > 3) {  // optional: only the pictures whose names contain one of these words
            bool wanted = false;
            for (const QString& w : QString::fromLocal8Bit(argv[3]).split(','))
                wanted = wanted || fi.fileName().contains(w);
            if (!wanted) continue;
        }
        const auto it = shownSize.find(fi.fileName());
        pics.push_back({fi.fileName(), size, it == shownSize.end() ? size : it->second});
    }

    // Sheet at 1x: each picture at its shown size on teal, panel blue and a
    // checkerboard. Sheets at 4x: each picture once, on the ground it sits on.
    QFont font("DejaVu Sans");
    font.setPixelSize(11);
    auto home = [](const QString& name) {
        if (name.contains("lavender")) return lavender;
        if (name.contains("teal") || name.startsWith("illustration") || name.startsWith("serial") ||
            name.startsWith("file_box") || name.startsWith("question_mark_red") ||
            name.startsWith("title") || name.startsWith("notebook") || name.startsWith("icon"))
            return teal;
        return panelBlue;
    };
    for (int scale : {1, 4}) {
        const int sheetW = scale == 1 ? 1200 : 1600;
        const int copies = scale == 1 ? 3 : 1;
        struct Placed {
            int x, y;
            const Pic* pic;
        };
        std::vector<std::vector<Placed>> pages(1);
        int y = 10, x = 10, rowH = 0;
        for (const Pic& pic : pics) {
            const QSize s = pic.shown * scale;
            const int w = std::max(copies * (s.width() + 8), 160);
            if (x + w > sheetW) {
                x = 10;
                y += rowH + 24;
                rowH = 0;
            }
            if (y + s.height() > 1500) {
                pages.emplace_back();
                x = 10, y = 10, rowH = 0;
            }
            pages.back().push_back({x, y, &pic});
            x += w + 8;
            rowH = std::max(rowH, s.height());
        }
        int page = 0;
        for (const auto& placed : pages) {
            int h = 0;
            for (const Placed& pl : placed)
                h = std::max(h, pl.y + pl.pic->shown.height() * scale + 24);
            QImage sheet(sheetW, h, QImage::Format_ARGB32_Premultiplied);
            sheet.fill(QColor(90, 90, 90));
            QPainter p(&sheet);
            p.setFont(font);
            for (const Placed& pl : placed) {
                const QSize s = pl.pic->shown * scale;
                QSvgRenderer& r = *renderers[pl.pic->name];
                int cx = pl.x;
                if (copies == 1) {
                    p.drawImage(cx, pl.y, render(r, s, home(pl.pic->name)));
                } else {
                    p.drawImage(cx, pl.y, render(r, s, teal));
                    cx += s.width() + 8;
                    p.drawImage(cx, pl.y, render(r, s, panelBlue));
                    cx += s.width() + 8;
                    QImage ch = checker(s, 4 * scale);
                    {
                        QPainter cp(&ch);
                        r.render(&cp, QRectF(QPointF(0, 0), QSizeF(s)));
                    }
                    p.drawImage(cx, pl.y, ch);
                }
                p.setPen(Qt::white);
                p.drawText(pl.x, pl.y + s.height() + 14, pl.pic->name);
            }
            p.end();
            sheet.save(out + (scale == 1 ? QString("/sheet_1x.png")
                                         : QString("/sheet_4x_%1.png").arg(++page)));
        }
    }

    // Each picture alone at 1x and 4x on a neutral ground.
    for (const Pic& pic : pics) {
        QSvgRenderer& r = *renderers[pic.name];
        const QString base = out + "/" + QFileInfo(pic.name).completeBaseName();
        render(r, pic.shown, QColor(0, 0, 0, 0)).save(base + "_1x.png");
        render(r, pic.shown * 4, QColor(0, 0, 0, 0)).save(base + "_4x.png");
    }

    // The program icon at the sizes a desktop shows it, and the same enlarged.
    if (auto it = renderers.find("icon.svg"); it != renderers.end()) {
        QImage sheet(16 + 32 + 48 + 64 + 4 * (16 + 32 + 48) + 8 * 8, 4 * 48 + 16,
                     QImage::Format_ARGB32_Premultiplied);
        sheet.fill(QColor(230, 230, 230));
        QPainter p(&sheet);
        int x = 8;
        for (int s : {16, 32, 48, 64}) {
            p.drawImage(x, 8, render(*it->second, QSize(s, s), QColor(0, 0, 0, 0)));
            x += s + 8;
        }
        for (int s : {16, 32, 48}) {
            const QImage small = render(*it->second, QSize(s, s), QColor(0, 0, 0, 0));
            p.drawImage(x, 8,
                        small.scaled(s * 4, s * 4, Qt::IgnoreAspectRatio, Qt::FastTransformation));
            x += s * 4 + 8;
        }
        p.end();
        sheet.save(out + "/icon_sizes.png");
    }

    // Mock-up of the window's screens with the pictures at their places.
    auto pic = [&](QPainter& p, const char* name, int x, int y) {
        auto it = renderers.find(QString(name));
        if (it == renderers.end()) return;
        const auto sz = shownSize.find(QString(name));
        const QSize s = sz == shownSize.end() ? it->second->defaultSize() : sz->second;
        it->second->render(&p, QRectF(x, y, s.width(), s.height()));
    };
    auto text = [&](QPainter& p, int x, int y, const QString& t, QColor c, int px) {
        QFont f("DejaVu Sans");
        f.setPixelSize(px - 1);
        f.setBold(true);
        p.setFont(f);
        p.setPen(c);
        p.drawText(x, y + px - 2, t);
    };
    const QColor navy(0, 0, 0x80);
    for (int screen = 0; screen < 4; ++screen) {
        QImage win(713, 373, QImage::Format_ARGB32_Premultiplied);
        win.fill(teal);
        QPainter p(&win);
        p.setRenderHint(QPainter::Antialiasing);
        pic(p, "illustration.svg", 0, 0);
        text(p, 105, 355, "Mercredi 29 Septembre - 09:05:03", Qt::black, 11);
        pic(p, "serial_cable.svg", 356, -12);
        text(p, 396, 96, "NEANT", Qt::black, 11);
        pic(p, "file_box.svg", 536, 8);
        pic(p, "question_mark_red.svg", 656, 28);
        if (screen == 1) {  // parameters, then calibration over it
            p.fillRect(372, 132, 341, 241, panelBlue);
            p.translate(372, 132);
            pic(p, "heading_etalonnages.svg", 104, 12);
            pic(p, "question_mark_orange.svg", 52, 48);
            text(p, 92, 64, "Photomètre n°  007   version : 0.10", QColor(0x80, 0, 0x80), 13);
            pic(p, "ball_green.svg", 30, 108);
            pic(p, "ball_red.svg", 30, 144);
            pic(p, "ball_black.svg", 176, 108);
            pic(p, "ball_black.svg", 176, 144);
            text(p, 66, 114, "V0 : 2,124 V", navy, 13);
            text(p, 210, 114, "Vnoir : 0,010 V", navy, 13);
            text(p, 66, 150, "V0 : 2,031 V", navy, 13);
            text(p, 210, 150, "Vnoir : 0,012 V", navy, 13);
            pic(p, "xper.svg", 16, 199);
            pic(p, "cross_panel_blue.svg", 314, 1);
            pic(p, "thumb_up_panel_blue.svg", 291, 187);
            p.resetTransform();
            p.fillRect(188, 120, 341, 113, lavender);
            p.translate(188, 120);
            pic(p, "heading_mot_de_passe.svg", 92, 8);
            pic(p, "thumb_up_lavender.svg", 291, 59);
            pic(p, "cross_lavender.svg", 314, 1);
            p.fillRect(108, 60, 125, 28, QColor(0x80, 0, 0x80));
            p.resetTransform();
        } else if (screen == 2) {  // reception, continuous mode
            p.fillRect(372, 0, 341, 373, panelBlue);
            p.translate(372, 0);
            pic(p, "heading_reception_des_mesures.svg", 40, 2);
            pic(p, "button_ecrire.svg", 28, 56);
            pic(p, "thermometer.svg", 184, 36);
            text(p, 222, 58, "T :  21 °C", navy, 13);
            pic(p, "ball_green.svg", 30, 108);
            pic(p, "ball_red.svg", 30, 144);
            text(p, 66, 114, "Vv : 1,953 V", navy, 13);
            text(p, 198, 114, "EOv : 0,152", navy, 13);
            text(p, 66, 150, "Vr : 1,904 V", navy, 13);
            text(p, 198, 150, "EOr : 0,087", navy, 13);
            pic(p, "cross_panel_blue.svg", 314, 1);
            p.fillRect(0, 200, 341, 6, coverBlue);
            pic(p, "ball_green.svg", 30, 220);
            pic(p, "ball_red.svg", 30, 288);
            pic(p, "reset_square.svg", 100, 252);
            pic(p, "reset_square.svg", 100, 324);
            p.fillRect(116, 252, 128, 13, Qt::black);
            p.fillRect(117, 253, 126, 11, QColor(0xA6, 0xCA, 0xF0));
            p.fillRect(117, 253, 80, 11, QColor(0, 0x80, 0));
            p.fillRect(116, 324, 128, 13, Qt::black);
            p.fillRect(117, 325, 126, 11, QColor(0xA6, 0xCA, 0xF0));
            p.fillRect(117, 325, 60, 11, QColor(0x80, 0, 0));
            pic(p, "arrow_green.svg", 113 + 90, 265);
            pic(p, "arrow_red.svg", 113 + 70, 337);
            p.resetTransform();
        } else if (screen == 3) {  // information, and the reception buttons
            p.fillRect(372, 0, 342, 374, teal);
            p.translate(372, 0);
            pic(p, "title_solvenare.svg", 48, 10);
            text(p, 110, 56, "Version : 2.10 - Décembre 2010", QColor(0, 255, 255), 13);
            text(p, 80, 152, "Documentation du logiciel", QColor(0, 0, 255), 16);
            pic(p, "notebook.svg", 128, 180);
            text(p, 100, 252, "Ressources Internet", navy, 16);
            pic(p, "thumb_up_teal.svg", 298, 321);
            p.resetTransform();
            p.fillRect(0, 200, 372, 173, panelBlue);
            pic(p, "heading_parametres_des_mesures.svg", 10, 205);
            pic(p, "button_demarrer.svg", 10, 245);
            pic(p, "button_arreter.svg", 150, 245);
            pic(p, "button_ecrire.svg", 10, 285);
            pic(p, "thermometer_mirrored.svg", 150, 285);
            pic(p, "thumb_up_panel_blue.svg", 300, 300);
        }
        p.end();
        win.save(out + QString("/screen_%1.png").arg(screen));
        win.scaled(713 * 2, 373 * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation)
            .save(out + QString("/screen_%1_2x.png").arg(screen));
    }
    std::printf("%d failure(s); sheets and screens in %s\n", failures, qPrintable(out));
    return failures == 0 ? 0 : 1;
}
