// Inside the file list module: the list box shows app.fileList (its count, its extent and the
// document's entry; nothing when the window is closed).
#pragma once

void fillListWindow();
