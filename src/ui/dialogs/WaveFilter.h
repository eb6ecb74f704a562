// The file dialogs' filter for sound files (string 57991).
#pragma once

#include <QString>

QString WaveFileFilter();
