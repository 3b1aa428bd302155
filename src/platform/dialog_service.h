#pragma once
// placeholder, replaced by the shell work
