/* Example skin of Gridwork Stacker, a Qt style sheet.
   To use it, copy it to x/o.cjs below the program folder and start the program. */

QWidget#Form1 {
    background-color: #dde5ee;
}

QGroupBox {
    background-color: #e9eef4;
    border: 2px solid #5b7fa6;
    border-radius: 6px;
    margin-top: 14px;
    font-weight: bold;
    color: #23405f;
}

QGroupBox::title {
    subcontrol-origin: margin;
    subcontrol-position: top left;
    left: 10px;
    padding: 0 4px;
}

QLabel {
    background-color: transparent;
    color: #23405f;
}

QPushButton {
    background-color: #3d6b99;
    color: white;
    border: 1px solid #23405f;
    border-radius: 4px;
    padding: 3px 10px;
}

QPushButton:hover {
    background-color: #4f82b5;
}

QPushButton:pressed {
    background-color: #23405f;
}

QLineEdit {
    background-color: white;
    border: 1px solid #8aa4bf;
    border-radius: 3px;
    padding: 1px 3px;
    selection-background-color: #3d6b99;
}

QLineEdit:focus {
    border: 1px solid #3d6b99;
}
