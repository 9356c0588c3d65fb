#pragma once

class QLabel;
class QWidget;

namespace pixmorrow {

// Installs the program's accessible interfaces, once (later calls do nothing): combo boxes
// named after their label (on Linux Qt names them by their current value), clickable labels
// as links with a press action, and decorative pictures hidden from screen readers. Every
// window calls it through the helpers below before it is shown, and so does the program's
// entry, since an interface Qt has handed out once stays cached.
void installAccessibleInterfaces();

// Ties a label to its input: the label's mnemonic focuses the input, and screen readers name
// the input after the label.
void labelField(QLabel* label, QWidget* field);

// A picture that only decorates (its meaning is in a text beside it): screen readers pass
// over it.
void markDecorative(QWidget* picture);

}  // namespace pixmorrow
