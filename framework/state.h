// The program-wide state: every variable the framework and the lessons
// share lives here for the whole run, with the names the lessons use. A
// text variable NAME$ is NAME_S, a number array NAME() is NAME_A and a text
// array NAME$() is NAME_SA. Numbers are single precision and start at 0,
// texts start empty. Scratch variables are shared members on purpose: a
// routine leaves in them what its callers may rely on.
#pragma once

#include <string>

#include "runtime/basic.h"

struct ProgramState {
  using NumberArray = rt::BasicArray<float>;
  using TextArray = rt::BasicArray<std::string>;

  // ---- numbers ----
  float
      A{}, A1{}, A2{}, AA{}, AA1{}, AA2{}, AAAX{}, AAAY{}, AIDA{}, AIDA1{}, AINP{}, AX{},
      AX1{}, AX2{}, AY{}, AY1{}, AY2{}, B{}, B1{}, B2{}, BAIX{}, BAIY{}, BB{}, BB1{},
      BB2{}, BSEN{}, BUN{}, BX{}, BX1{}, BY{}, BY1{}, C{}, CC{}, CCC0{}, CCC1{}, CCC2{},
      CCC3{}, CX{}, CY{}, D{}, D1{}, D2{}, DB{}, DB1{}, DBM1{}, DBM2{}, DK{}, DR{},
      DS{}, DS1{}, DS2{}, DS4{}, DSM1{}, DSM2{}, DX{}, DY{}, E1{}, E2{}, ERL{}, ERR{},
      EX{}, EY{}, FMAESU{}, GGX{}, GGY{}, GX{}, GX0{}, GX1{}, GX2{}, GX3{}, GX4{}, GX5{},
      GY{}, GY0{}, GY1{}, GY2{}, GY3{}, GY4{}, GY5{}, H{}, HABA{}, HH{}, HH1{}, HH2{},
      HH3{}, HH4{}, HH5{}, HHP{}, HONSU{}, HOUKOU{}, HROOT{}, I{}, IB8{}, II{}, IROIRO{}, ITI{},
      JYOU{}, JYOUK{}, KAIX{}, KAIY{}, KAKU{}, KAKUDO{}, KAKUDO1{}, KASANARIX{}, KASANARIY{}, KB8{}, KJ1{}, KJ2{},
      KJ3{}, KOSUU{}, L{}, LB8{}, LE{}, LEM{}, LLT{}, LT{}, LT1{}, LT2{}, M{}, MUKI{},
      MU_DO{}, N{}, N1{}, N2{}, N3{}, NAG{}, NAGA{}, NAGASA{}, NAGASA1{}, NAKA{}, NASI{}, NO{},
      P{}, P1{}, P2{}, PI{}, Q{}, R{}, R1{}, R1A{}, R1B{}, R1B1{}, R1I{}, R2{},
      RR{}, SENTAKU{}, SIZE{}, SIZE1{}, SOSU{}, SOSU1{}, TA1{}, TA2{}, TA3{}, TA5{}, TA6{}, TAKASA{},
      TATE{}, TBBO{}, TBBO1{}, TBSI{}, TBSI1{}, TII{}, TJ{}, TX{}, TXM{}, TY{}, X{}, X1{},
      X2{}, X3{}, X4{}, XG{}, XI0{}, XI1{}, XI2{}, XI3{}, XT{}, XX{}, XX1{}, Y{},
      Y1{}, Y2{}, Y22{}, Y3{}, Y4{}, Y5{}, Y6{}, Y7{}, YA{}, YAK{}, YAK1{}, YG{},
      YI1{}, YOKO{}, YT{}, YY{}, YY1{}, ZX{}, ZX0{}, ZX1{}, ZX11{}, ZX12{}, ZX2{}, ZX3{},
      ZX4{}, ZX5{}, ZY{}, ZY0{}, ZY1{}, ZY11{}, ZY12{}, ZY2{}, ZY3{}, ZY4{}, ZY5{};

  // ---- texts ----
  std::string
      A_S{}, A1_S{}, A11_S{}, A2_S{}, A21_S{}, A3_S{}, A31_S{}, A4_S{}, A41_S{}, A5_S{}, AA_S{}, AA1_S{},
      AAA_S{}, AA_A_S{}, AINP_S{}, B_S{}, B1_S{}, B2_S{}, B3_S{}, B4_S{}, DA1_S{}, DB_S{}, DS_S{}, DS1_S{},
      DS2_S{}, DS3_S{}, DS4_S{}, ENZAN_S{}, FDS1_S{}, HENK_S{}, HENK1_S{}, HENK2_S{}, HENK3_S{}, HYOUJI_S{}, I_S{}, KAKUDO_S{},
      MOTOA_S{}, P1_S{}, P2_S{}, R_S{}, R1A_S{}, R1A1_S{}, R1B_S{}, RAB_S{}, RABM_S{}, RTASKAI1_S{}, RTASKAI2_S{}, TITLE_S{},
      TKAI1_S{}, TKAI2_S{}, X_S{}, X8_S{}, X9_S{}, Y_S{};

  // ---- arrays (dimensioned by StartUp; an undeclared array takes 0..10) ----
  NumberArray X_A{40}, Y_A{40};
  NumberArray G_A{10, 2};
  TextArray X_SA{20};
  NumberArray T_A{80}, F_A{40};
  TextArray T_SA{80}, F_SA{40};
  NumberArray R_A{10};
  NumberArray U_A{40}, V_A{40};
  TextArray U_SA{10};
};
