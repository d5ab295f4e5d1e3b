#include "shell/GmSubWindowLayout.h"

GmSubWindowLayout::GmSubWindowLayout(QWidget* parent) : QVBoxLayout(parent) {}
