#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPixmap>
#include <QWidget>

// The PNG for people to look at and the README, and a one-page PDF of it
// for the manual (groff embeds pictures only as PDF), in the test target's
// CAPTURES_DIR.
inline void Capturer(QWidget& w, const QString& nom) {
    QDir().mkpath(CAPTURES_DIR);
    QApplication::processEvents();
    const QPixmap image = w.grab();
    const QString base = QString(CAPTURES_DIR "/") + nom;
    ASSERT_TRUE(image.save(base + ".png", "PNG"));
    QPdfWriter pdf(base + ".pdf");
    pdf.setResolution(96);
    pdf.setPageMargins(QMarginsF());
    pdf.setPageSize(
        QPageSize(QSizeF(image.width() * 0.75, image.height() * 0.75), QPageSize::Point));
    QPainter peintre(&pdf);
    peintre.drawPixmap(0, 0, image);
}
