// Document services: the order header, its lines, saving and closing.
#include "host_state.h"
#include "korpus_exports.h"

using namespace korpus;

// ---------------------------------------------------------------------------
// 30204 HostDateText
// ---------------------------------------------------------------------------
void __stdcall Korpus_HostDateText(char* field) {
    Enter("HostDateText");
    (void)field;
    Unimplemented("HostDateText");
}

// ---------------------------------------------------------------------------
// 52338 HostDocumentHeader
// ---------------------------------------------------------------------------
int __stdcall Korpus_HostDocumentHeader(int a1, int a2, int column, int width1, int width2, HostTableDescriptor* k4,
                                        int a7, int a8, const char* caption, int a10, int documentType) {
    Enter("HostDocumentHeader");
    (void)a1, (void)a2, (void)column, (void)width1, (void)width2, (void)k4, (void)a7, (void)a8, (void)caption,
        (void)a10, (void)documentType;
    Unimplemented("HostDocumentHeader");
    return -1;
}

// ---------------------------------------------------------------------------
// 52326 HostDocumentInit
// ---------------------------------------------------------------------------
int __stdcall Korpus_HostDocumentInit(HostTableDescriptor* table, int documentType, void* record, int mode,
                                      int reserved) {
    Enter("HostDocumentInit");
    (void)table, (void)documentType, (void)record, (void)mode, (void)reserved;
    Unimplemented("HostDocumentInit");
    return 0;
}

// ---------------------------------------------------------------------------
// 52377 HostDocumentStore
// ---------------------------------------------------------------------------
int __stdcall Korpus_HostDocumentStore(HostTableDescriptor* table, int documentType, void* record, int reserved) {
    Enter("HostDocumentStore");
    (void)table, (void)documentType, (void)record, (void)reserved;
    Unimplemented("HostDocumentStore");
    return 0;
}

// ---------------------------------------------------------------------------
// 51467 HostLineFromGoods
// ---------------------------------------------------------------------------
int __stdcall Korpus_HostLineFromGoods(HostTableDescriptor* lineTable, void* lineBuffer, void** lines, int lineIndex,
                                       int lineType) {
    Enter("HostLineFromGoods");
    (void)lineTable, (void)lineBuffer, (void)lines, (void)lineIndex, (void)lineType;
    Unimplemented("HostLineFromGoods");
    return 0;
}

// ---------------------------------------------------------------------------
// 52470 HostDocumentClose
// ---------------------------------------------------------------------------
int __stdcall Korpus_HostDocumentClose(int documentType, int a2, int a3, int a4, int a5, int a6, int a7, int a8,
                                       int a9, int a10, int32_t headerValue897, int32_t headerValue893) {
    Enter("HostDocumentClose");
    (void)documentType, (void)a2, (void)a3, (void)a4, (void)a5, (void)a6, (void)a7, (void)a8, (void)a9, (void)a10,
        (void)headerValue897, (void)headerValue893;
    Unimplemented("HostDocumentClose");
    return 0;
}

// ---------------------------------------------------------------------------
// 51562 HostCheckRight
// ---------------------------------------------------------------------------
int __stdcall Korpus_HostCheckRight(int right, int level, int reserved) {
    Enter("HostCheckRight");
    (void)right, (void)level, (void)reserved;
    Unimplemented("HostCheckRight");
    return 0;
}

// ---------------------------------------------------------------------------
// 52109 HostLinesAlloc
// ---------------------------------------------------------------------------
void** __stdcall Korpus_HostLinesAlloc(int documentType, int a2, int a3, int a4) {
    Enter("HostLinesAlloc");
    (void)documentType, (void)a2, (void)a3, (void)a4;
    Unimplemented("HostLinesAlloc");
    return nullptr;
}

// ---------------------------------------------------------------------------
// 52108 HostLinesSave
// ---------------------------------------------------------------------------
int __stdcall Korpus_HostLinesSave(int lineCount, int documentType, int lineType, const char* kind, int reserved) {
    Enter("HostLinesSave");
    (void)lineCount, (void)documentType, (void)lineType, (void)kind, (void)reserved;
    Unimplemented("HostLinesSave");
    return 0;
}
