#pragma once

#include <Qt>

class QAbstractButton;

namespace tarnwick {

// Every button of ours can be pressed from the keyboard. The Chinese captions are the form's,
// bare ("分析店铺", not "分析店铺(&A)"): the key comes as Alt+key, named in the tooltip, unless
// the caption marks a mnemonic of its own (an English one does). Returns the button.
template <typename Button>
Button* Keyed(Button* button, Qt::Key key);

void GiveKey(QAbstractButton& button, Qt::Key key);

template <typename Button>
Button* Keyed(Button* button, Qt::Key key) {
    GiveKey(*button, key);
    return button;
}

}  // namespace tarnwick
