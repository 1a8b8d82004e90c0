#pragma once
/* zeltro: the Filter Factory formula interpreter (placeholder until the library lands). */
#ifdef __cplusplus
extern "C" {
#endif
#if defined(_WIN32)
#define ZELTRO_API __declspec(dllexport)
#else
#define ZELTRO_API __attribute__((visibility("default")))
#endif
struct FFNode;
struct FFExecRecord;
ZELTRO_API struct FFNode* FFParse(const char* text, int* status, int build);
ZELTRO_API struct FFExecRecord* FFPrepareExec(struct FFExecRecord* record);
ZELTRO_API int FFExec(struct FFNode* node);
ZELTRO_API void FFFree(struct FFNode* node);
#ifdef __cplusplus
}
#endif
