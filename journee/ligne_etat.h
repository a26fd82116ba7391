#pragma once

#include <QString>
#include <QWidget>

namespace journee {

// The status bar's line of text. Its size does not follow its text, so that
// setting it (once a second while a file grows) repaints the line alone
// instead of laying the status bar out again; a text too long for the line
// loses its beginning, where a file's path starts.
class LigneEtat : public QWidget {
  public:
    explicit LigneEtat(QWidget* parent = nullptr);

    QString text() const { return texte_; }
    void setText(const QString& texte);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* evenement) override;

  private:
    QString texte_;
};

}  // namespace journee
