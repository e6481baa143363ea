#pragma once
class A;
