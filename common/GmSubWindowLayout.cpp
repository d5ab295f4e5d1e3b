#include "common/GmSubWindowLayout.h"

GmSubWindowLayout::GmSubWindowLayout(QWidget* parent) : QVBoxLayout(parent) {}
