#pragma once
class B;
