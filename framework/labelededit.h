#pragma once

#include <QLineEdit>
#include <QPointer>

#include <QLabel>

// A one-line text box with its caption label above it, left-aligned with the box and
// LabelSpacing pixels above its top edge. The label is a sibling of the box in the same
// parent, owned by that parent; it follows the box whenever the box is placed or shown.
class TLabeledEdit : public QLineEdit
{
    Q_OBJECT
public:
    static constexpr int kDefaultLabelSpacing = 3;

    explicit TLabeledEdit(QWidget *parent);
    ~TLabeledEdit() override;

    // The label's caption; the label takes the width of its text and the font's height.
    void setLabelCaption(const QString &caption);
    QString labelCaption() const;
    QLabel *editLabel() const { return m_label; }

    void setLabelSpacing(int pixels);
    int labelSpacing() const { return m_spacing; }

    // Places the box (client coordinates of the parent) and its label above it.
    void setBounds(int left, int top, int width, int height);


protected:
    void moveEvent(QMoveEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void placeLabel();

    QPointer<QLabel> m_label;
    int m_spacing = kDefaultLabelSpacing;
};
