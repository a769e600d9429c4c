#include "app/ui/QuilloryApp.h"

int main(int argc, char** argv) {
    return quillory::CQuilloryApp().Run(argc, argv);
}
