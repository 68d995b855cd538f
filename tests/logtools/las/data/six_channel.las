#Written by Tremarin Borvanic Quorvanta V1.0/406
~VERSION INFORMATION
#------------------------------------------------------------------------------
 VERS. 2.0 : CWLS LOG ASCII STANDARD - VERSION 2.0
 WRAP. NO  : ONE LINE PER DEPTH STEP
~WELL INFORMATION
#MNEM.UNIT         DATA                                DESCRIPTION OF MNEMONIC
#------------------------------------------------------------------------------
 STRT.M         10.0000                            :   START DEPTH
 STOP.M         10.0500                            :   STOP DEPTH
 STEP.M          0.0100                            :   STEP VALUE
 NULL.        -999.2500                            :   NULL VALUE
 COMP.    Acme Water Board                         :   COMPANY NAME
 WELL.    BH-7                                     :   WELL NAME
 FLD.     N/A                                      :   FIELD NAME
 LOC.     Sector 4                                 :   LOCATION
 PROV.    N/A                                      :   PROVINCE
 SRVC.    Quorvanta Logging                        :   SERVICE COMPANY NAME
 DATE.    07 Mar 05                                :   DATE
 UWI.     N/A                                      :   UNIQUE WELL IDENTIFIER
~PARAMETER INFORMATION
#MNEMO.UNIT         VALUE                 DESCRIPTION OF MNEMONIC
#------------------------------------------------------------------------------
~OTHER INFORMATION SECTION
#------------------------------------------------------------------------------
 Logged after cleaning
 A trap for readers
~CURVE INFORMATION
#MNEMO.UNIT         API CODE              CURVE DESCRIPTION
#------------------------------------------------------------------------------
 DEPTH.M                                 :   0     Depth
 GR.API                                  :   1     Natural gamma
 TMP.degC                                :   2     Fluid temperature
 RES.Ohmm                                :   3     Resistivity
#------------------------------------------------------------------------------
~A  DEPTH     GR        TMP       RES       
    10.00    201.00  45300.00    200.00 
    10.01    203.00  46207.50    202.00 
    10.02    205.00  47124.00    204.00 
    10.03    207.00  48049.50    206.00 
    10.04    209.00  48984.00    208.00 
    10.05    211.00  49927.50    210.00 
