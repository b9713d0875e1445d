/* Machine-dependent JNI types for 64-bit Windows (LLP64: long is 32 bits). */
#ifndef QUORV_JNI_MD_WIN_H
#define QUORV_JNI_MD_WIN_H

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

typedef long jint;
typedef long long jlong;
typedef signed char jbyte;

#endif
