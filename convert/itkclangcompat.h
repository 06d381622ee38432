#pragma once

// Debian builds ITK with GCC, and its generated
// itk_compiler_detection.h stops every other compiler with #error. Clang (the
// sanitizer and fuzz builds) reads this instead, forced in before each source
// file: the same answers for a C++17 compiler, and the guard that turns the
// generated header into nothing.
#define ITK_COMPILER_DETECTION_H

#define ITK_COMPILER_IS_GNU 0
#define ITK_COMPILER_IS_Clang 1
#define ITK_COMPILER_IS_AppleClang 0
#define ITK_COMPILER_IS_MSVC 0

#define ITK_COMPILER_CXX_ALIGNAS 1
#define ITK_COMPILER_CXX_ALIGNOF 1
#define ITK_COMPILER_CXX_ATTRIBUTE_DEPRECATED 1
#define ITK_COMPILER_CXX_CONSTEXPR 1
#define ITK_COMPILER_CXX_DELETED_FUNCTIONS 1
#define ITK_COMPILER_CXX_EXTERN_TEMPLATES 1
#define ITK_COMPILER_CXX_FINAL 1
#define ITK_COMPILER_CXX_NOEXCEPT 1
#define ITK_COMPILER_CXX_NULLPTR 1
#define ITK_COMPILER_CXX_OVERRIDE 1
#define ITK_COMPILER_CXX_STATIC_ASSERT 1
#define ITK_COMPILER_CXX_THREAD_LOCAL 1

#define ITK_ALIGNAS(X) alignas(X)
#define ITK_ALIGNOF(X) alignof(X)
#define ITK_DEPRECATED [[deprecated]]
#define ITK_DEPRECATED_MSG(MSG) [[deprecated(MSG)]]
#define ITK_CONSTEXPR constexpr
#define ITK_DELETED_FUNCTION = delete
#define ITK_EXTERN_TEMPLATE extern
#define ITK_FINAL final
#define ITK_NOEXCEPT noexcept
#define ITK_NOEXCEPT_EXPR(X) noexcept(X)
#define ITK_NULLPTR nullptr
#define ITK_OVERRIDE override
#define ITK_STATIC_ASSERT(X) static_assert(X, #X)
#define ITK_STATIC_ASSERT_MSG(X, MSG) static_assert(X, MSG)
#define ITK_THREAD_LOCAL thread_local
